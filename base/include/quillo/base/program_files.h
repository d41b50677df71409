#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// Finding the files that ship with the program (helper programs, libraries loaded at run time)
// where its install or build tree puts them: next to the executable.
namespace quillo::base {

// The running executable's path; absent when the system does not say.
std::optional<std::filesystem::path> executablePath();

// Where `fileName` may be, in order: in each of `folders`, taken relative to the folder that
// holds `executable` ("." beside it, "../lib/quillo" the private library folder of its install).
std::vector<std::filesystem::path> pathsBeside(const std::filesystem::path& executable,
                                               std::string_view fileName,
                                               std::span<const std::string_view> folders);

// The same beside the running executable; none when its path is unknown.
std::vector<std::filesystem::path> pathsBesideExecutable(std::string_view fileName,
                                                         std::span<const std::string_view> folders);

}  // namespace quillo::base

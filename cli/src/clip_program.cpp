#include "clip_program.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "quillo/base/program_files.h"

namespace quillo::cli {
namespace {

constexpr const char* kProgram = "quillo-cli-clip";

std::filesystem::path programPath() {
  constexpr std::array<std::string_view, 2> kFolders{".", "../lib/quillo"};
  const std::vector<std::filesystem::path> candidates = base::pathsBesideExecutable(kProgram, kFolders);
  if (candidates.empty())
    throw std::runtime_error("The clipboard commands cannot be found: /proc/self/exe is unreadable.");
  for (const std::filesystem::path& candidate : candidates)
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  throw std::runtime_error(std::string("The clipboard commands need ") + kProgram + " beside quillo-cli.");
}

}  // namespace

int runClipProgram(std::span<const std::string> arguments, std::FILE*, std::FILE* output) {
  const std::string path = programPath().string();
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::fflush(output);
  ::execv(path.c_str(), argv.data());
  throw std::runtime_error(path + " could not be started: " + std::strerror(errno) + ".");
}

}  // namespace quillo::cli

#include "quillo/base/program_files.h"

namespace quillo::base {

std::optional<std::filesystem::path> executablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || path.empty()) return std::nullopt;
  return path;
}

std::vector<std::filesystem::path> pathsBeside(const std::filesystem::path& executable,
                                               std::string_view fileName,
                                               std::span<const std::string_view> folders) {
  const std::filesystem::path home = executable.parent_path();
  std::vector<std::filesystem::path> paths;
  paths.reserve(folders.size());
  for (const std::string_view folder : folders)
    paths.push_back((home / folder / fileName).lexically_normal());
  return paths;
}

std::vector<std::filesystem::path> pathsBesideExecutable(std::string_view fileName,
                                                         std::span<const std::string_view> folders) {
  const auto executable = executablePath();
  if (!executable) return {};
  return pathsBeside(*executable, fileName, folders);
}

}  // namespace quillo::base

#include "file_index_library.h"

#include <cstdlib>
#include <filesystem>

namespace quillo::cli {

std::shared_ptr<const core::FffLibrary> loadFileIndexLibrary() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return core::FffLibrary::load(core::FffLibrary::candidates(std::getenv("QUILLO_FFF_LIBRARY"),
                                                             error ? std::string() : executable.string()));
}

std::string fileIndexCacheFolder(const platform::System& system) {
  const auto cache = system.environment("XDG_CACHE_HOME");
  // Relative paths are not valid base folders.
  const std::filesystem::path base = cache && !cache->empty() && cache->front() == '/'
                                         ? std::filesystem::path(*cache)
                                         : std::filesystem::path(system.homeFolder()) / ".cache";
  const std::filesystem::path folder = base / "quillo" / "file-index";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return {};
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  return folder.string();
}

}  // namespace quillo::cli

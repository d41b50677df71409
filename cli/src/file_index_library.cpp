#include "file_index_library.h"

#include <cstdlib>
#include <filesystem>

#include "quillo/base/program_files.h"

namespace quillo::cli {

std::shared_ptr<const core::FffLibrary> loadFileIndexLibrary(platform::FileSystem& files) {
  return core::FffLibrary::load(files,
                                core::FffLibrary::candidates(std::getenv("QUILLO_FFF_LIBRARY"),
                                                             base::executablePath().value_or("").string()));
}

std::string fileIndexCacheFolder(const platform::System& system) {
  const std::filesystem::path quillo = platform::xdgFolder(system, base::XdgFolder::cache) / "quillo";
  const std::filesystem::path folder = quillo / "file-index";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return {};
  // Names of the user's files: for the owner's eyes only.
  for (const auto& made : {quillo, folder})
    std::filesystem::permissions(made, std::filesystem::perms::owner_all, error);
  return error ? std::string() : folder.string();
}

}  // namespace quillo::cli

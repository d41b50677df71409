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

}  // namespace quillo::cli

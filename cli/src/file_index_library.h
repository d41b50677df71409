#pragma once

#include <memory>
#include <string>

#include "quillo/core/files/fff_library.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// The file index library for this executable: $QUILLO_FFF_LIBRARY when set, else the places
// beside the executable. Throws core::FffLibraryError with the places tried.
std::shared_ptr<const core::FffLibrary> loadFileIndexLibrary(platform::FileSystem& files);

// Where the saved indexes of the search folders are kept: quillo/file-index in the user's XDG
// cache folder; made (owner only) when missing. Empty when it cannot be made: the search then scans, as
// without a saved index.
std::string fileIndexCacheFolder(const platform::System& system);

}  // namespace quillo::cli

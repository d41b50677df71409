#pragma once

#include <memory>

#include "quillo/core/files/fff_library.h"

namespace quillo::cli {

// The file index library for this executable: $QUILLO_FFF_LIBRARY when set, else the places
// beside the executable. Throws core::FffLibraryError with the places tried.
std::shared_ptr<const core::FffLibrary> loadFileIndexLibrary();

}  // namespace quillo::cli

#pragma once

#include <memory>

#include "quillo/core/files/fff_library.h"
#include "quillo/platform/posix/posix_file_system.h"

namespace quillo::core::test_support {

// The real disk, for tests over files they made.
inline platform::posix::PosixFileSystem disk;

// The file index library of this build, loaded once.
inline std::shared_ptr<const FffLibrary> library() {
  static const auto loaded = FffLibrary::load(disk, {QUILLO_TEST_FFF_LIBRARY});
  return loaded;
}

}  // namespace quillo::core::test_support

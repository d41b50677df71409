#pragma once

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "front_end.h"

namespace quillo::ui {

// A snapshot could not be written; what() names the file and why.
class SnapshotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Draws each window (laid out at its own size, without showing it on a display) into
// `folder`/NAME.png, making the folder when missing. Returns the files written. Throws
// SnapshotError.
std::vector<std::filesystem::path> writeSnapshots(const std::vector<SnapshotWindow>& windows,
                                                  const std::filesystem::path& folder);

}  // namespace quillo::ui

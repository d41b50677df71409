#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/platform/file_system.h"

namespace quillo::core {

// The information dictionary of an application bundle ("Contents/Info.plist"), XML or binary.
// Immutable once read; safe to share between threads.
class BundleInfo {
 public:
  // None when the file is missing, unreadable, too large, not a property list, or not a dictionary.
  static std::optional<BundleInfo> read(const platform::FileSystem& files,
                                        const std::filesystem::path& bundle);
  static std::optional<BundleInfo> parse(std::string_view data);

  // The string under `key`; none when absent or of another type.
  std::optional<std::string> string(std::string_view key) const;

 private:
  struct Node;
  explicit BundleInfo(std::shared_ptr<Node> root);
  std::shared_ptr<Node> root_;
};

}  // namespace quillo::core

#pragma once

#include "quillo/platform/bookmarks.h"

namespace quillo::platform::posix {

// A bookmark records the folder's path with the device and inode it had. Resolving finds the
// folder at that path again and calls the bookmark stale when a different folder now stands
// there (replaced, or restored from a backup). There are no access scopes: every folder the
// user may read is reachable.
class PosixBookmarks final : public Bookmarks {
 public:
  std::vector<std::uint8_t> create(const std::string& path) override;
  ResolvedBookmark resolve(const std::vector<std::uint8_t>& bookmark) override;
  bool startAccessing(const std::string& path) override;
  void stopAccessing(const std::string& path) override;
};

}  // namespace quillo::platform::posix

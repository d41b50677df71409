#pragma once

#include <ctime>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fff.h"

namespace fff::testing {

// A real folder tree under /tmp, removed (permissions restored first) when it goes.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  std::string path(std::string_view relative) const;
  void dir(std::string_view relative) const;
  // Creates the file and any missing folders on the way.
  void file(std::string_view relative, std::string_view content = "",
            std::optional<std::time_t> modified = {}) const;
  void symlink(std::string_view target, std::string_view relative) const;
  void remove(std::string_view relative) const;
  void rename(std::string_view from, std::string_view to) const;
  // Puts every folder's modification time an hour back, as a tree's folders are settled long
  // before a scan sees them: only a folder older than the scan that listed it is saved as read.
  void settle() const;

 private:
  std::string root_;
};

std::vector<std::string> pathsOf(const std::vector<FffItem>& items);

// One library instance, destroyed with the object.
class Instance {
 public:
  explicit Instance(const std::string& root, bool watch = true, std::uint32_t maxWatches = 0,
                    std::uint32_t rescanMs = 0, bool skipHidden = false, const std::string& savedIndex = {});
  // With options set in full (version included).
  explicit Instance(const FffOptions& options);
  ~Instance() { fff_destroy(handle_); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  FffInstance* handle() const { return handle_; }
  // Whether the first scan ended (completely or not) within `ms`.
  bool waitForScan(std::uint64_t ms = 20000) const;
  // FFF_SCAN_… after waiting at most `ms`, -1 on failure; `reason` gets the record's message.
  std::int64_t scanState(std::uint64_t ms = 20000, std::string* reason = nullptr) const;
  std::int64_t count() const;
  // FFF_SEARCHABLE_… after waiting at most `ms`, -1 on failure.
  std::int64_t searchable(std::uint64_t ms = 20000) const;
  bool savedIndexStood() const;

  std::vector<FffItem> mixed(const std::string& query, std::uint32_t limit = 50, std::uint32_t flags = 0,
                             std::uint32_t offset = 0, std::uint32_t maxDepth = 0,
                             std::int32_t minScore = 0) const;
  std::vector<FffItem> glob(const std::string& pattern, std::uint32_t options = 0, std::uint32_t limit = 1000,
                            std::int64_t modifiedAfter = 0) const;
  // Paths only, in result order.
  std::vector<std::string> mixedPaths(const std::string& query, std::uint32_t limit = 50,
                                      std::uint32_t flags = 0) const {
    return pathsOf(mixed(query, limit, flags));
  }
  std::vector<std::string> directoryPaths(const std::string& query, std::uint32_t limit = 50) const;
  std::vector<std::string> globPaths(const std::string& pattern, std::uint32_t options = 0,
                                     std::uint32_t limit = 1000) const {
    return pathsOf(glob(pattern, options, limit));
  }

 private:
  void create(const FffOptions& options);

  FffInstance* handle_ = nullptr;
  // Item records point into results; copies keep their paths here.
  mutable std::deque<std::string> kept_;
};

// Runs `check` as an unprivileged user: root reads every folder whatever its permission bits,
// so when the tests run as root the check runs in a child process that drops to "nobody".
// Returns the check's number: 0 when it held.
int asUnprivilegedUser(const std::function<int()>& check);

// Polls `condition` every 20 ms until it holds or `seconds` pass.
bool eventually(const std::function<bool()>& condition, int seconds = 10);

}  // namespace fff::testing

#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "index.h"
#include "watcher.h"

namespace fff {

class NamesWalk;

struct InstanceOptions {
  std::string root;
  std::uint32_t maxWatches = 0;  // 0: as many as the system allows
  std::chrono::milliseconds rescanInterval{30000};
  bool skipHidden = false;
  bool crossFileSystems = false;
  bool watch = false;
  // Without watch: read sizes and times only once a search needs them all.
  bool detailsOnDemand = false;
  // Where the index is saved between runs; empty for none.
  std::string savedIndex;
  // An index saved as the instance is ended is written by a process of its own, which the
  // caller's process does not wait for (see writeDetached).
  bool saveDetached = false;
};

enum class ScanState { running, complete, incomplete };

// Whether searches can be answered: not yet (a first scan is running), from a saved index as it
// was saved (its folders are being checked), or from a scan that has ended.
enum class Searchable { notYet, asSaved, scanned };

// How the first scan went; `reason` says why an incomplete one is.
struct ScanStatus {
  ScanState state = ScanState::running;
  std::string reason;
};

// One indexed tree. A thread of its own scans the root, then (when asked to watch) applies
// inotify events and rescans the folders it could not watch. Searches read the index under a
// shared lock from any thread; only that thread writes, and it holds the lock for writing only
// while applying what it has already read from disk.
class Instance {
 public:
  // Throws Error when the root is not a readable folder.
  explicit Instance(InstanceOptions options);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Stops and joins the thread; the index stays readable. Callers may race to it.
  void stop();
  // The same in a process that ends right after: a detached save is left as its child.
  void stopBeforeExit();
  // The first scan reads names and kinds; once it has ended, searches see every name.
  ScanStatus waitForScan(std::chrono::milliseconds timeout);
  // Sizes and times follow on the same thread; true once all are read (or given up).
  bool waitForDetails(std::chrono::milliseconds timeout);
  // Waits at most `timeout` for the index to be searchable as saved or scanned.
  Searchable waitUntilSearchable(std::chrono::milliseconds timeout);
  // Once the scan has ended: whether the index was loaded from the saved file and no folder had
  // changed since, so that what a search found as saved stands.
  bool savedIndexStood();

  template <class Reader>
  decltype(auto) read(Reader&& reader) const {
    std::shared_lock lock(mutex_);
    return reader(index_);
  }
  std::size_t entryCount() const;
  const std::string& root() const { return options_.root; }

 private:
  void run(std::stop_token stop);
  // Lists the folders and all below them; `namesOnly` leaves sizes and times for readDetails.
  void scanBelow(std::vector<std::uint32_t> directories, const std::stop_token& stop, bool namesOnly);
  // The first scan without watching: names and kinds, walked on every core. Returns the spent
  // walk, whose memory (tens of megabytes) is best handed back once the scan's end is told.
  std::unique_ptr<NamesWalk> walkNames(const std::stop_token& stop);
  void readDetails(const std::stop_token& stop);
  // The saved index, when there is a usable one, with the folders changed since listed again.
  bool loadSaved();
  bool refreshLoaded(const std::stop_token& stop);
  void save() const;
  bool detailsOnDemand() const;
  void sync(std::uint32_t directory, const std::stop_token& stop);
  void watchLoop(const std::stop_token& stop);
  void collectEvents(std::vector<std::uint32_t>& dirty);
  void rescanUnwatched(const std::stop_token& stop);
  void release(const std::vector<std::uint32_t>& removedDirectories);
  bool shouldDescend(std::uint32_t directory) const;
  void startWatching(std::uint32_t directory, const std::string& path);
  void noteUnreadable(const std::string& path, int error);
  std::string incompleteReason(const std::string& failure) const;
  std::string absolutePath(std::uint32_t directory) const;

  InstanceOptions options_;
  dev_t rootDevice_ = 0;
  ino_t rootInode_ = 0;

  mutable std::shared_mutex mutex_;
  Index index_;

  // Touched only by the thread.
  Watcher watcher_;
  std::unordered_map<int, std::uint32_t> watches_;  // watch descriptor to directory slot
  std::vector<std::uint32_t> unwatched_;
  std::size_t watchCount_ = 0;
  bool firstScan_ = true;
  std::size_t unreadable_ = 0;  // folders the first scan could not list
  // When the first scan began: a folder whose time is not older is saved as unread, as a change
  // made as it was listed (in the same tick of the clock) would not show in its time.
  std::int64_t scanStarted_ = 0;
  std::string firstUnreadable_;

  std::mutex scanMutex_;
  std::condition_variable_any scanned_;
  ScanStatus scan_;
  bool loadedUnchecked_ = false;  // a saved index is loaded; its folders are being checked
  bool savedIndexStood_ = false;
  bool detailed_ = false;
  bool detailsWanted_ = false;

  std::atomic<bool> processEnding_ = false;
  std::mutex stopping_;  // fff_stop and fff_destroy may end the thread at once
  std::jthread thread_;  // last: starts once everything above exists
};

}  // namespace fff

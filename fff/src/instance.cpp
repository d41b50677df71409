#include "instance.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "detached_writer.h"
#include "details_pass.h"
#include "error.h"
#include "folder_check.h"
#include "listing.h"
#include "names_walk.h"
#include "saved_index.h"
#include "shares.h"

namespace fff {
namespace {

// Events arriving this close together are applied as one batch.
constexpr int kSettleMs = 20;
constexpr int kMaxSettleRounds = 10;

std::string canonicalRoot(const std::string& root) {
  if (root.empty()) throw Error("The root folder is empty.");
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(root.c_str(), nullptr), &std::free);
  if (!resolved)
    throw Error("The folder " + root + " does not exist or cannot be reached: " + std::strerror(errno) + ".");
  return resolved.get();
}

// Gives glibc's free pages back to the system. Not under a sanitizer: its allocator holds the
// memory, glibc's holds none and was never set up, and glibc sets it up on a first trim without
// a lock, so that two instances trimming at once read its lists half made.
void trimFreedMemory() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  ::malloc_trim(0);
#endif
}

}  // namespace

Instance::Instance(InstanceOptions options) : options_(std::move(options)) {
  options_.root = canonicalRoot(options_.root);
  struct stat info;
  if (::stat(options_.root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    throw Error("The path " + options_.root + " is not a folder.");
  const int probe = ::open(options_.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (probe < 0)
    throw Error("The folder " + options_.root + " cannot be read: " + std::strerror(errno) + ".");
  ::close(probe);
  rootDevice_ = info.st_dev;
  rootInode_ = info.st_ino;
  Directory& root = index_.changeDirectory(kRootDirectory);
  root.device = info.st_dev;
  root.inode = info.st_ino;
  root.stamp = stampOf(info.st_mtim);
  thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

Instance::~Instance() {
  stop();
}

void Instance::stopBeforeExit() {
  processEnding_ = true;
  stop();
}

void Instance::stop() {
  const std::lock_guard lock(stopping_);
  if (!thread_.joinable()) return;
  thread_.request_stop();
  watcher_.wake();
  thread_.join();
}

bool Instance::waitForDetails(std::chrono::milliseconds timeout) {
  std::unique_lock lock(scanMutex_);
  if (!detailsWanted_) {
    detailsWanted_ = true;
    scanned_.notify_all();
  }
  return scanned_.wait_for(lock, timeout, [this] { return detailed_; });
}

// Without watching, an instance answers a few searches and ends: sizes and times are then read
// only when one needs them all, as the rows read their own.
bool Instance::detailsOnDemand() const {
  return options_.detailsOnDemand && !options_.watch;
}

Searchable Instance::waitUntilSearchable(std::chrono::milliseconds timeout) {
  std::unique_lock lock(scanMutex_);
  scanned_.wait_for(lock, timeout, [this] { return loadedUnchecked_ || scan_.state != ScanState::running; });
  if (scan_.state != ScanState::running) return Searchable::scanned;
  return loadedUnchecked_ ? Searchable::asSaved : Searchable::notYet;
}

bool Instance::savedIndexStood() {
  const std::lock_guard lock(scanMutex_);
  return scan_.state != ScanState::running && savedIndexStood_;
}

ScanStatus Instance::waitForScan(std::chrono::milliseconds timeout) {
  std::unique_lock lock(scanMutex_);
  scanned_.wait_for(lock, timeout, [this] { return scan_.state != ScanState::running; });
  return scan_;
}

std::size_t Instance::entryCount() const {
  std::shared_lock lock(mutex_);
  return index_.liveCount();
}

// An exception must not leave the thread (it would end the process): a scan that fails (out of
// memory, say) keeps what it has indexed so far and ends as incomplete, with the failure as its
// reason, and watching stops. A saved index stands in for the walk from the root when it can.
void Instance::run(std::stop_token stop) {
  bool scanned = false;
  bool save = false;
  std::string failure;
  std::unique_ptr<NamesWalk> spentWalk;
  // File systems stamp folders from the coarse clock, some to the second: a change made after
  // this reading has a time no older than its second.
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  scanStarted_ = stampOf({.tv_sec = now.tv_sec, .tv_nsec = 0});
  try {
    bool changed = true;
    bool loaded = false;
    if (!options_.savedIndex.empty() && loadSaved()) {
      loaded = true;
      // A watching instance writes each folder's record as it checks it (its watch): searched
      // only once scanned.
      if (!options_.watch) {
        {
          std::lock_guard lock(scanMutex_);
          loadedUnchecked_ = true;
        }
        scanned_.notify_all();
      }
      changed = refreshLoaded(stop);
    } else if (options_.watch)
      scanBelow({kRootDirectory}, stop, true);
    else
      spentWalk = walkNames(stop);
    scanned = !stop.stop_requested();
    save = scanned && changed && !options_.savedIndex.empty();
    {
      const std::lock_guard lock(scanMutex_);
      savedIndexStood_ = scanned && loaded && !changed;
    }
  } catch (const std::bad_alloc&) {
    failure = "the scan ran out of memory";
  } catch (const std::exception& error) {
    failure = std::string("the scan failed: ") + error.what();
  } catch (...) {
    failure = "the scan failed";
  }
  firstScan_ = false;
  {
    std::lock_guard lock(scanMutex_);
    scan_.reason = incompleteReason(failure);
    scan_.state = scan_.reason.empty() ? ScanState::complete : ScanState::incomplete;
    loadedUnchecked_ = false;
  }
  scanned_.notify_all();
  // Unmapping the walk's memory takes a millisecond: searches need not wait for it.
  spentWalk.reset();
  try {
    if (scanned && detailsOnDemand()) {
      std::unique_lock lock(scanMutex_);
      scanned_.wait(lock, stop, [this] { return detailsWanted_; });
    }
    if (scanned) readDetails(stop);
    // An instance being ended (a command-line search done) is not worth tidying up.
    if (!stop.stop_requested()) {
      std::unique_lock lock(mutex_);
      index_.shrink();
    }
  } catch (...) {
    // What could not be read keeps no size and time; searches still find it.
  }
  // Every size and time is in: a glob waiting for them need not wait for the save as well
  // (tens of megabytes, written in this thread while the instance lives on).
  {
    std::lock_guard lock(scanMutex_);
    detailed_ = true;
  }
  scanned_.notify_all();
  try {
    // Last, so that it never holds up an answer: on demand, the caller has had its answers and
    // is ending the instance (or wants every size and time, read by now). Searches go on
    // meanwhile: this thread only reads the index here.
    if (save) {
      const bool ending = stop.stop_requested();
      if (!ending || !options_.saveDetached ||
          !writeDetached(
              options_.savedIndex + ".lock", [this] { this->save(); },
              processEnding_ ? Caller::endsNow : Caller::livesOn))
        this->save();
    }
    // The scan's listings were freed into the malloc arenas of this thread and its helpers;
    // give the pages back, as the index may live as long as the process.
    if (!stop.stop_requested()) trimFreedMemory();
  } catch (...) {
    // An index that could not be saved is scanned again by the next run.
  }
  try {
    if (scanned && options_.watch) watchLoop(stop);
  } catch (...) {
  }
}

void Instance::noteUnreadable(const std::string& path, int error) {
  if (!firstScan_) return;
  if (unreadable_++ == 0) firstUnreadable_ = path + ": " + std::strerror(error);
}

std::string Instance::incompleteReason(const std::string& failure) const {
  std::string reason;
  if (!failure.empty()) reason = failure;
  if (unreadable_ > 0) {
    if (!reason.empty()) reason += "; ";
    reason += unreadable_ == 1 ? "1 folder could not be read"
                               : std::to_string(unreadable_) + " folders could not be read";
    reason += " (" + firstUnreadable_ + ")";
  }
  return reason.empty() ? reason : "The index is incomplete: " + reason + ".";
}

bool Instance::loadSaved() {
  Index loaded;
  const SavedIndexKey key{options_.root, rootDevice_, rootInode_, options_.skipHidden,
                          options_.crossFileSystems};
  if (!loadIndex(options_.savedIndex, key, loaded)) return false;
  // A watching instance lives long and changes its index as the tree does: it copies the index
  // out of the file at once, and lets the file go. One that answers a few searches and ends
  // reads it where it lies, copying only what a changed folder changes.
  if (options_.watch) loaded.ownEverything();
  std::unique_lock lock(mutex_);
  index_ = std::move(loaded);
  return true;
}

void Instance::save() const {
  const SavedIndexKey key{options_.root, rootDevice_, rootInode_, options_.skipHidden,
                          options_.crossFileSystems};
  // A cache that cannot be written costs the next run a scan, nothing more.
  saveIndex(index_, key, options_.savedIndex, stampsToSave(index_, options_.root, scanStarted_));
}

// A folder whose modification time, device and inode are as saved holds the same names (a
// file's own changes do not show there, but its size and time are read again anyway).
bool Instance::refreshLoaded(const std::stop_token& stop) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  // A folder listed before was entered then, and would be now: whether it is entered follows
  // from its device and inode and its ancestors', all as saved, and the root's, which the saved
  // index matched. Only the others need the walk up their ancestors.
  const auto wanted = [this](std::uint32_t slot) {
    const Directory& directory = index_.directory(slot);
    return directory.alive && (directory.listed || shouldDescend(slot));
  };
  if (options_.watch)
    for (std::uint32_t slot = 0; slot < index_.directories().size(); ++slot)
      if (wanted(slot)) startWatching(slot, absolutePath(slot));
  const std::vector<char> changed = changedFolders(index_, options_.root, threads, wanted);
  bool any = false;
  // In slot order, parents first, as sync expects.
  for (std::uint32_t slot = 0; slot < changed.size() && !stop.stop_requested(); ++slot) {
    if (!changed[slot]) continue;
    any = true;
    sync(slot, stop);
  }
  return any;
}

std::string Instance::absolutePath(std::uint32_t directory) const {
  return index_.absoluteDirectoryPath(options_.root, directory);
}

// A folder on another file system is listed only when asked; a folder that is its own
// ancestor (a bind mount of a parent) never is, so a scan always ends.
bool Instance::shouldDescend(std::uint32_t slot) const {
  const Directory& directory = index_.directory(slot);
  if (!options_.crossFileSystems && directory.device != rootDevice_) return false;
  for (std::uint32_t at = slot; index_.directory(at).entry != kNone;) {
    at = index_.entries()[index_.directory(at).entry].parent;
    const Directory& ancestor = index_.directory(at);
    if (ancestor.device == directory.device && ancestor.inode == directory.inode) return false;
  }
  return true;
}

void Instance::startWatching(std::uint32_t slot, const std::string& path) {
  Directory& directory = index_.changeDirectory(slot);
  if (!options_.watch || directory.watch >= 0 || directory.polled) return;
  const bool underLimit = options_.maxWatches == 0 || watchCount_ < options_.maxWatches;
  const int watch = underLimit ? watcher_.add(path) : -1;
  if (watch < 0) {
    directory.polled = true;
    unwatched_.push_back(slot);
    return;
  }
  // The kernel hands out the same descriptor again for a folder it already watches (one moved
  // within the tree); the newest slot takes it over.
  if (watches_.insert_or_assign(watch, slot).second) ++watchCount_;
  directory.watch = watch;
}

void Instance::scanBelow(std::vector<std::uint32_t> pending, const std::stop_token& stop, bool namesOnly) {
  const ListingOptions options{.skipHidden = options_.skipHidden};
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::uint32_t> next;
  std::vector<std::uint32_t> slots;
  std::vector<std::string> paths;
  std::vector<Listing> listings;
  // Level by level: each level's folders are chosen and watched here, in order, then read on
  // every core, then added in order, so that a folder's slot still follows its parent's.
  while (!pending.empty() && !stop.stop_requested()) {
    next.clear();
    slots.clear();
    paths.clear();
    for (const std::uint32_t slot : pending) {
      if (!index_.directory(slot).alive || !shouldDescend(slot)) continue;
      paths.push_back(absolutePath(slot));
      startWatching(slot, paths.back());
      slots.push_back(slot);
    }
    listings.assign(slots.size(), {});
    eachInTurn(slots.size(), threads, [&](std::size_t k) {
      if (stop.stop_requested()) return;
      listings[k] = namesOnly ? listNames(paths[k], options) : listDirectory(paths[k], options);
    });
    if (stop.stop_requested()) return;
    for (std::size_t k = 0; k < slots.size(); ++k) {
      const Listing& listing = listings[k];
      if (listing.error != 0) {
        noteUnreadable(paths[k], listing.error);
        continue;
      }
      std::unique_lock lock(mutex_);
      Directory& listedDirectory = index_.changeDirectory(slots[k]);
      listedDirectory.listed = true;
      if (listing.stamp != 0) listedDirectory.stamp = listing.stamp;
      for (const Listed& child : listing.children) {
        const std::uint32_t entry = index_.add(slots[k], child);
        if (child.kind == Kind::directory) next.push_back(index_.details(entry).directory);
      }
    }
    pending.swap(next);
  }
}

namespace {

// The walked folders whose parents have been read and they not yet, each with its slot in the
// index, under a tag (an index here, reused) that the folder carries.
class HeldFolders {
 public:
  static constexpr std::uint32_t kRootTag = UINT32_MAX;

  void hold(WalkedFolderPtr folder, std::uint32_t slot) {
    std::uint32_t tag = static_cast<std::uint32_t>(held_.size());
    if (freeTags_.empty()) {
      held_.emplace_back();
    } else {
      tag = freeTags_.back();
      freeTags_.pop_back();
    }
    folder->readerTag = tag;
    held_[tag] = {std::move(folder), slot};
  }
  std::uint32_t slot(const WalkedFolder& folder) const {
    return folder.readerTag == kRootTag ? kRootDirectory : held_[folder.readerTag].slot;
  }
  // Frees the folder (not the root, which the walk keeps).
  void release(const WalkedFolder& folder) {
    if (folder.readerTag == kRootTag) return;
    const std::uint32_t tag = folder.readerTag;
    held_[tag].folder.reset();
    freeTags_.push_back(tag);
  }
  void clear() { held_.clear(); }

 private:
  struct Held {
    WalkedFolderPtr folder;
    std::uint32_t slot = 0;
  };
  std::vector<Held> held_;
  std::vector<std::uint32_t> freeTags_;
};

}  // namespace

// Without watching, the first scan needs no folder's watch before its listing: the walk reads
// subtrees on every core, each folder relative to its parent, and this thread, walking too,
// adds the folders as they finish, each after its parent.
std::unique_ptr<NamesWalk> Instance::walkNames(const std::stop_token& stop) {
  HeldFolders held;
  std::vector<std::string_view> names;
  std::vector<std::uint32_t> ids;
  const auto read = [&](std::span<WalkedFolder* const> folders) {
    std::unique_lock lock(mutex_);
    for (WalkedFolder* folder : folders) {
      const std::uint32_t slot = held.slot(*folder);
      if (slot != kRootDirectory && (folder->self.detailed || folder->selfFromListing))
        index_.describeDirectory(slot, folder->self);
      if (folder->error != 0) {
        noteUnreadable(absolutePath(slot), folder->error);
      } else if (folder->entered) {
        index_.changeDirectory(slot).listed = true;
        names.clear();
        for (const WalkedChild& child : folder->children)
          names.push_back(folder->name(child));
        index_.internAll(names, ids);
        for (std::size_t k = 0; k < names.size(); ++k) {
          WalkedChild& child = folder->children[k];
          const std::uint32_t entry = index_.addNamed(slot, ids[k], folder->listed(child));
          if (child.folder) held.hold(std::move(child.folder), index_.details(entry).directory);
        }
      }
      held.release(*folder);
    }
  };
  {
    std::unique_lock lock(mutex_);
    index_.forgetChildren();
  }
  auto walk =
      std::make_unique<NamesWalk>(options_.root,
                                  WalkOptions{.skipHidden = options_.skipHidden,
                                              .crossFileSystems = options_.crossFileSystems,
                                              .rootDevice = rootDevice_,
                                              .threads = std::max(1u, std::thread::hardware_concurrency())},
                                  stop, read);
  // The folders still held (after a stop or a failure) go before the walk's memory does.
  struct Release {
    HeldFolders& held;
    ~Release() { held.clear(); }
  } release{held};
  walk->root().readerTag = HeldFolders::kRootTag;
  walk->run();
  return walk;
}

// Sizes and times of what the names-only scan left out, read on every core while searches go
// on, then applied at once.
void Instance::readDetails(const std::stop_token& stop) {
  // An instance being ended (on demand, before any glob wanted them) reads none.
  if (stop.stop_requested()) return;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  {
    std::unique_lock lock(mutex_);
    index_.indexChildren();
  }
  const std::vector<ReadDetail> read = readMissingDetails(index_, options_.root, threads, stop);
  std::unique_lock lock(mutex_);
  for (const ReadDetail& detail : read)
    index_.detail(detail.entry, detail.size, detail.modified);
}

void Instance::release(const std::vector<std::uint32_t>& removedDirectories) {
  for (const std::uint32_t slot : removedDirectories) {
    Directory& directory = index_.changeDirectory(slot);
    if (directory.watch < 0) continue;
    const auto it = watches_.find(directory.watch);
    if (it != watches_.end() && it->second == slot) {
      watcher_.remove(directory.watch);
      watches_.erase(it);
      --watchCount_;
    }
    directory.watch = -1;
  }
}

// Brings one folder's children in line with the disk: new ones are added (and scanned when
// they are folders), vanished ones removed, the others' sizes and times refreshed.
void Instance::sync(std::uint32_t slot, const std::stop_token& stop) {
  if (!index_.directory(slot).alive) return;
  if (slot != kRootDirectory && !index_.directory(slot).listed) {
    scanBelow({slot}, stop, false);
    return;
  }
  const std::string path = absolutePath(slot);
  const Listing listing = listDirectory(path, {.skipHidden = options_.skipHidden});
  if (listing.error != 0 && listing.error != ENOENT) noteUnreadable(path, listing.error);
  // Running out of descriptors or memory says nothing about the folder; anything else that
  // stops it from being read empties it, as nothing in it can be reported.
  if (listing.error == EMFILE || listing.error == ENFILE || listing.error == ENOMEM) return;

  std::unordered_map<std::string, std::uint32_t> current;
  {
    std::unique_lock lock(mutex_);
    index_.indexChildren();
  }
  for (const std::uint32_t child : index_.children(slot))
    current.emplace(index_.name(child), child);

  std::vector<std::uint32_t> removed;
  std::vector<std::uint32_t> added;
  {
    std::unique_lock lock(mutex_);
    index_.changeDirectory(slot).stamp = listing.stamp;
    std::vector<std::uint32_t> seen;
    for (const Listed& child : listing.children) {
      const auto it = current.find(child.name);
      if (it != current.end()) {
        const bool wasDirectory = index_.entries()[it->second].kind == Kind::directory;
        if (wasDirectory == (child.kind == Kind::directory)) {
          index_.update(it->second, child);
          seen.push_back(it->second);
          continue;
        }
      }
      const std::uint32_t entry = index_.add(slot, child);
      if (child.kind == Kind::directory) added.push_back(index_.details(entry).directory);
    }
    std::sort(seen.begin(), seen.end());
    for (const auto& [name, child] : current) {
      if (std::binary_search(seen.begin(), seen.end(), child)) continue;
      const auto gone = index_.remove(child);
      removed.insert(removed.end(), gone.begin(), gone.end());
    }
  }
  release(removed);
  scanBelow(std::move(added), stop, false);
}

void Instance::collectEvents(std::vector<std::uint32_t>& dirty) {
  for (const Watcher::Event& event : watcher_.drain()) {
    if (event.mask & IN_Q_OVERFLOW) {
      for (std::uint32_t slot = 0; slot < index_.directories().size(); ++slot)
        dirty.push_back(slot);
      continue;
    }
    const auto it = watches_.find(event.watch);
    if (it == watches_.end()) continue;
    const std::uint32_t slot = it->second;
    if (event.mask & IN_IGNORED) {
      if (index_.directory(slot).watch == event.watch) index_.changeDirectory(slot).watch = -1;
      watches_.erase(it);
      --watchCount_;
      if (slot == kRootDirectory) dirty.push_back(slot);
      continue;
    }
    if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
      // The parent's own event removes a folder; only the root has no parent to tell.
      if (slot == kRootDirectory) dirty.push_back(slot);
      continue;
    }
    dirty.push_back(slot);
  }
}

void Instance::rescanUnwatched(const std::stop_token& stop) {
  std::vector<std::uint32_t> slots;
  slots.swap(unwatched_);
  std::erase_if(slots, [this](std::uint32_t slot) { return !index_.directory(slot).alive; });
  unwatched_ = slots;
  for (const std::uint32_t slot : slots) {
    if (stop.stop_requested()) return;
    sync(slot, stop);
  }
}

void Instance::watchLoop(const std::stop_token& stop) {
  auto nextRescan = std::chrono::steady_clock::now() + options_.rescanInterval;
  while (!stop.stop_requested()) {
    int timeout = -1;
    if (!unwatched_.empty()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          nextRescan - std::chrono::steady_clock::now());
      timeout = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
    }
    Watcher::Wait outcome = watcher_.wait(timeout);
    if (outcome == Watcher::Wait::woken || stop.stop_requested()) return;
    if (outcome == Watcher::Wait::timeout) {
      rescanUnwatched(stop);
      nextRescan = std::chrono::steady_clock::now() + options_.rescanInterval;
      continue;
    }
    std::vector<std::uint32_t> dirty;
    for (int round = 0; outcome == Watcher::Wait::events && round < kMaxSettleRounds; ++round) {
      collectEvents(dirty);
      outcome = watcher_.wait(kSettleMs);
    }
    if (outcome == Watcher::Wait::woken) return;
    // Parents first: a folder's slot always follows its parent's.
    std::sort(dirty.begin(), dirty.end());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    for (const std::uint32_t slot : dirty) {
      if (stop.stop_requested()) return;
      sync(slot, stop);
    }
  }
}

}  // namespace fff

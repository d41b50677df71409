#include "names_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>

#include "listing.h"
#include "mount_points.h"
#include "unique_fd.h"

namespace fff {
namespace {

// How often the reading thread, waiting for work, reads the folders the others finished.
constexpr std::chrono::milliseconds kReadWhileIdle{1};

struct Identity {
  dev_t device;
  ino_t inode;
  bool operator==(const Identity&) const = default;
};

// Memory mapped straight from the system, so that none of it stays with the heap.
class MappedBlocks final : public std::pmr::memory_resource {
  void* do_allocate(std::size_t bytes, std::size_t) override {
    void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) throw std::bad_alloc();
    return address;
  }
  void do_deallocate(void* address, std::size_t bytes, std::size_t) override { ::munmap(address, bytes); }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

}  // namespace

// The walk's folders live in an arena per walking thread, each used by its own thread alone, so
// that no allocation waits for another thread: a pool shared by the threads took a lock for
// every block one thread freed of another's, and the reading thread frees the folders all the
// others walked (thousands of waits per walk). Nothing is freed before the walk ends, when every
// arena goes whole; a thread not walking (the one that builds the walk) takes a shared arena.
class NamesWalk::Arenas final : public std::pmr::memory_resource {
 public:
  explicit Arenas(unsigned threads) : owners_(threads) {
    for (unsigned k = 0; k < threads; ++k)
      arenas_.push_back(std::make_unique<std::pmr::monotonic_buffer_resource>(kFirstBlock, &mapped_));
  }
  // Makes arena `k` the calling thread's.
  void enter(unsigned k) { owners_[k] = std::this_thread::get_id(); }

 private:
  static constexpr std::size_t kFirstBlock = std::size_t{1} << 20;

  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    const std::thread::id self = std::this_thread::get_id();
    for (std::size_t k = 0; k < owners_.size(); ++k)
      if (owners_[k].load(std::memory_order_relaxed) == self) return arenas_[k]->allocate(bytes, alignment);
    const std::lock_guard lock(sharedMutex_);
    return shared_.allocate(bytes, alignment);
  }
  void do_deallocate(void*, std::size_t, std::size_t) override {}
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

  MappedBlocks mapped_;
  std::vector<std::atomic<std::thread::id>> owners_;
  std::vector<std::unique_ptr<std::pmr::monotonic_buffer_resource>> arenas_;
  std::mutex sharedMutex_;
  std::pmr::monotonic_buffer_resource shared_{&mapped_};
};

namespace {

// The largest record getdents64 gives one child: the fixed part and a name of 255 bytes with
// its NUL, rounded up to eight.
constexpr std::size_t kLargestDirent = (kNameOffset + 256 + 7) / 8 * 8;

using FileSystemType = decltype(std::declval<struct statfs>().f_type);

// The type of the root's file system; none when it cannot be told.
std::optional<FileSystemType> fileSystemType(const std::string& root) {
  struct statfs info {};
  if (::statfs(root.c_str(), &info) != 0) return std::nullopt;
  return info.f_type;
}

// Whether the file system fills each read of a folder's children for as long as any are left, so
// that a read leaving room for another child was the last (and the read that would return
// nothing, one system call per folder, can be spared). Known of tmpfs and ext2/3/4, whose readdir
// stops only when the next record does not fit; assumed of no other.
bool fillsEachRead(std::optional<FileSystemType> type) {
  return type == TMPFS_MAGIC || type == EXT4_SUPER_MAGIC;
}

// Whether every folder of the file system lies on its device, so that a folder that is not a
// mount point is known from its parent's listing: its inode there, its parent's device. Not so
// of btrfs (a subvolume has a device of its own), overlayfs or network file systems.
bool sharesOneDevice(std::optional<FileSystemType> type) {
  return type == TMPFS_MAGIC || type == EXT4_SUPER_MAGIC || type == XFS_SUPER_MAGIC;
}

WalkedFolderPtr newFolder(std::pmr::memory_resource* memory) {
  std::pmr::polymorphic_allocator<WalkedFolder> allocator(memory);
  return WalkedFolderPtr(allocator.new_object<WalkedFolder>(memory), WalkedFolderDeleter{memory});
}

}  // namespace

void WalkedFolderDeleter::operator()(WalkedFolder* folder) const {
  std::pmr::polymorphic_allocator<WalkedFolder>(memory).delete_object(folder);
}

// A folder handed from one thread to another: opened by its path, with the folders above it
// for the check against loops.
struct HandedFolder {
  WalkedFolder* folder;
  std::string path;
  std::vector<Identity> ancestors;  // the root first, the folder's parent last
};

// A folder's subfolders that the thread walking it has still to enter, `next` to `end`: the
// thread's open frames, outermost first, so that whatever it is doing (a listing of thousands of
// names, a long read) it can hand a thread that ran out of work the largest part of what it has.
struct Siblings {
  std::vector<std::pair<WalkedFolder*, std::string>>* below;
  const std::string* path;
  std::size_t depth;  // the subfolders' ancestors: the folder's own and the folder
  std::size_t next = 0;
  std::size_t end = 0;
};
using Frames = std::vector<Siblings*>;

struct NamesWalk::Shared {
  std::string root;
  std::pmr::memory_resource* memory = nullptr;
  WalkOptions options;
  std::stop_token stop;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<HandedFolder> tasks;
  unsigned count = 1;
  // Changed under the mutex; read without it by a thread deciding whether to hand work on.
  std::atomic<unsigned> idle{0};
  std::atomic<std::size_t> queued{0};
  // Finished folders not yet read, the last first; read on the thread that runs the walk.
  std::atomic<WalkedFolder*> finishedFolders{nullptr};
  FolderReader reader;
  std::thread::id readingThread;
  std::vector<WalkedFolder*> batch;  // the reading thread's
  std::exception_ptr readerFailure;  // the reading thread's
  std::atomic<bool> readerFailed{false};
  bool finished = false;
  bool fillsEachRead = false;    // the root's file system, for folders on its device
  bool sharesOneDevice = false;  // the root's file system
  // Mount points below the root, and the folders holding them: read by name before opening.
  std::unordered_set<std::string> mountPoints;
  std::unordered_set<std::string> mountParents;

  void work() {
    std::vector<std::byte> buffer(kDirentBuffer);
    Frames frames;
    const bool reads = std::this_thread::get_id() == readingThread;
    for (;;) {
      HandedFolder task;
      {
        std::unique_lock lock(mutex);
        // The last to run out of work, with none left to hand on, ends the walk.
        if (++idle == count && tasks.empty()) {
          finished = true;
          changed.notify_all();
        }
        const auto ready = [this] { return finished || !tasks.empty(); };
        // Out of work, the reading thread reads what the others finish while it waits.
        while (reads && !changed.wait_for(lock, kReadWhileIdle, ready)) {
          lock.unlock();
          readFinished();
          lock.lock();
        }
        changed.wait(lock, ready);
        if (tasks.empty()) return;
        --idle;
        task = std::move(tasks.front());
        tasks.pop_front();
        queued = tasks.size();
      }
      const UniqueFd fd(::open(task.path.c_str(), kFolderOpenFlags));
      if (!fd.valid()) {
        task.folder->error = errno;
        readInFull(AT_FDCWD, task.path.c_str(), task.folder->self);
        finish(*task.folder);
      } else {
        enter(*task.folder, fd.get(), task.path, task.ancestors, buffer, frames);
      }
    }
  }

  void hand(HandedFolder task) {
    std::lock_guard lock(mutex);
    tasks.push_back(std::move(task));
    queued = tasks.size();
    changed.notify_one();
  }

  void handAll(std::vector<HandedFolder> handed) {
    if (handed.empty()) return;
    std::lock_guard lock(mutex);
    for (HandedFolder& task : handed)
      tasks.push_back(std::move(task));
    queued = tasks.size();
    changed.notify_all();
  }

  bool someoneIdle() const { return idle.load(std::memory_order_relaxed) > 0 && queued.load() == 0; }

  // A thread that ran out of work gets the later half of what is left in the outermost open
  // frame (the largest subtrees) at once: handed one by one, small subtrees would send it back to
  // sleep after each.
  void shareIfIdle(Frames& frames, const std::vector<Identity>& ancestors) {
    if (!someoneIdle() || stopped()) return;
    for (Siblings* frame : frames) {
      if (frame->next >= frame->end) continue;
      const std::size_t half = frame->next + (frame->end - frame->next) / 2;
      const std::vector<Identity> above(ancestors.begin(),
                                        ancestors.begin() + static_cast<std::ptrdiff_t>(frame->depth));
      std::vector<HandedFolder> handed;
      for (std::size_t later = half; later < frame->end; ++later) {
        auto& [subfolder, name] = (*frame->below)[later];
        handed.push_back({subfolder, childPath(*frame->path, name), above});
      }
      frame->end = half;
      handAll(std::move(handed));
      return;
    }
  }

  // A folder known from its parent's listing, without the system call that would read it: a
  // folder is opened and listed for its name alone, its time read once the walk is over.
  static void identify(WalkedFolder& folder, dev_t device, ino_t inode) {
    folder.self.kind = Kind::directory;
    folder.self.device = device;
    folder.self.inode = inode;
    folder.self.detailed = false;
    folder.self.stamp = kStampUnread;
    folder.selfFromListing = true;
  }

  // Room for the children of one read ahead of adding them, as the walk's memory is not reused:
  // all of a folder read at once (nearly every one) takes exactly what it needs, and a long
  // folder's arrays double.
  static void makeRoom(WalkedFolder& folder, const std::byte* records, long bytes) {
    std::size_t children = 0;
    std::size_t names = 0;
    for (long at = 0; at < bytes; ++children) {
      const auto* child = reinterpret_cast<const LinuxDirent64*>(records + at);
      at += child->d_reclen;
      names += child->d_reclen - kNameOffset;
    }
    const auto grow = [](auto& array, std::size_t more) {
      const std::size_t wanted = array.size() + more;
      if (wanted > array.capacity())
        array.reserve(array.capacity() == 0 ? wanted : std::max(wanted, 2 * array.capacity()));
    };
    grow(folder.children, children);
    grow(folder.names, names);
  }

  bool enters(const Identity& folder, const std::vector<Identity>& ancestors) const {
    if (!options.crossFileSystems && folder.device != options.rootDevice) return false;
    return std::find(ancestors.begin(), ancestors.end(), folder) == ancestors.end();
  }

  // Reads what an open folder is, from its descriptor (its name was looked up once, to open
  // it), then lists it unless it is not to be entered.
  void enter(WalkedFolder& folder, int fd, const std::string& path, std::vector<Identity>& ancestors,
             std::vector<std::byte>& buffer, Frames& frames) {
    // After a stop every folder still finishes, empty.
    if (stopped()) {
      finish(folder);
      return;
    }
    if (!folder.selfFromListing && !readOpenFolder(fd, folder.self)) {
      folder.error = errno;
      finish(folder);
      return;
    }
    const Identity identity{folder.self.device, folder.self.inode};
    folder.entered = enters(identity, ancestors);
    if (!folder.entered) {
      finish(folder);
      return;
    }
    ancestors.push_back(identity);
    walk(folder, fd, path, ancestors, buffer, frames);
    ancestors.pop_back();
  }

  // Lists one open folder, then goes down into its subfolders (or hands them on).
  void walk(WalkedFolder& folder, int fd, const std::string& path, std::vector<Identity>& ancestors,
            std::vector<std::byte>& buffer, Frames& frames) {
    const bool onRootDevice = ancestors.back().device == options.rootDevice;
    const bool lastWhenShort = fillsEachRead && onRootDevice;
    const bool knownByListing = sharesOneDevice && onRootDevice;
    const bool holdsMounts = !mountParents.empty() && mountParents.contains(path);
    for (;;) {
      const long read = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
      if (read < 0) folder.error = errno;
      if (read <= 0) break;
      const bool last = lastWhenShort && buffer.size() - static_cast<std::size_t>(read) >= kLargestDirent;
      makeRoom(folder, buffer.data(), read);
      for (long at = 0; at < read;) {
        const auto* child = reinterpret_cast<const LinuxDirent64*>(buffer.data() + at);
        at += child->d_reclen;
        const char* name = reinterpret_cast<const char*>(child) + kNameOffset;
        if (isDotOrDotDot(name)) continue;
        if (options.skipHidden && name[0] == '.') continue;
        WalkedChild walked;
        if (child->d_type == DT_DIR && !(holdsMounts && mountPoints.contains(childPath(path, name)))) {
          walked.folder = newFolder(memory);
          walked.inode = child->d_ino;
          if (knownByListing) identify(*walked.folder, ancestors.back().device, child->d_ino);
        } else if (child->d_type == DT_DIR || child->d_type == DT_UNKNOWN) {
          Listed full;
          if (!readInFull(fd, name, full)) continue;
          if (full.kind == Kind::directory && enters({full.device, full.inode}, ancestors))
            walked.folder = newFolder(memory);
          walked.readAt = static_cast<std::uint32_t>(folder.read.size());
          folder.read.push_back(std::move(full));
        } else {
          walked.symlink = child->d_type == DT_LNK;
          walked.inode = child->d_ino;
        }
        const std::string_view text(name);
        walked.nameAt = static_cast<std::uint32_t>(folder.names.size());
        walked.nameLength = static_cast<std::uint16_t>(text.size());
        folder.names.append(text);
        folder.children.push_back(std::move(walked));
      }
      if (last) break;
      shareIfIdle(frames, ancestors);
    }
    // A folder that could not be read whole is left out, as is everything below it.
    if (folder.error != 0) {
      folder.children.clear();
      folder.read.clear();
    }
    // Once finished, the reader may take the children's folders: keep what is needed of them.
    std::vector<std::pair<WalkedFolder*, std::string>> below;
    for (const WalkedChild& child : folder.children)
      if (child.folder) below.emplace_back(child.folder.get(), std::string(folder.name(child)));
    // On the reading thread, finishing reads what the others finished: share first. Only the
    // subfolders of finished folders are handed on, so that a folder is always read before them.
    shareIfIdle(frames, ancestors);
    finish(folder);
    Siblings siblings{&below, &path, ancestors.size(), 0, below.size()};
    frames.push_back(&siblings);
    struct Close {
      Frames& frames;
      ~Close() { frames.pop_back(); }
    } close{frames};
    while (siblings.next < siblings.end) {
      auto& [subfolder, name] = below[siblings.next++];
      shareIfIdle(frames, ancestors);
      if (ancestors.size() >= kMaxOpenDepth) {
        hand({subfolder, childPath(path, name), ancestors});
        continue;
      }
      const UniqueFd child(::openat(fd, name.c_str(), kFolderOpenFlags));
      if (!child.valid()) {
        subfolder->error = errno;
        readInFull(fd, name.c_str(), subfolder->self);
        finish(*subfolder);
      } else {
        enter(*subfolder, child.get(), childPath(path, name), ancestors, buffer, frames);
      }
    }
  }

  // The folder is not touched after this: the reader may free it at once. The reading thread
  // reads every finished folder as it finishes one of its own (and while it waits for work); the
  // others leave theirs to it. All the index's growth then happens on one thread, in one heap
  // arena: grown on each walking thread in turn, the index's arrays left their old copies in
  // both threads' arenas, and a fifth more memory per entry stayed resident after the scan.
  void finish(WalkedFolder& folder) {
    folder.nextFinished = finishedFolders.load();
    while (!finishedFolders.compare_exchange_weak(folder.nextFinished, &folder)) {
    }
    if (std::this_thread::get_id() == readingThread) readFinished();
  }

  // On the reading thread: the finished folders to the reader in the order they finished, until
  // none is left. After a failure they are left to the walk's memory, which goes whole.
  void readFinished() {
    while (WalkedFolder* last = finishedFolders.exchange(nullptr)) {
      batch.clear();
      for (WalkedFolder* folder = last; folder != nullptr; folder = folder->nextFinished)
        batch.push_back(folder);
      if (readerFailed.load()) continue;
      std::reverse(batch.begin(), batch.end());
      try {
        reader(batch);
      } catch (...) {
        readerFailure = std::current_exception();
        readerFailed = true;
      }
    }
  }

  static std::string childPath(const std::string& path, std::string_view name) {
    std::string child = path;
    if (!child.ends_with('/')) child += '/';
    child += name;
    return child;
  }

  bool stopped() const { return stop.stop_requested() || readerFailed.load(std::memory_order_relaxed); }
};

NamesWalk::NamesWalk(std::string root, WalkOptions options, std::stop_token stop, FolderReader reader)
    : memory_(std::make_unique<Arenas>(std::max(1u, options.threads))),
      root_(newFolder(memory_.get())),
      shared_(std::make_unique<Shared>()) {
  shared_->root = std::move(root);
  shared_->memory = memory_.get();
  shared_->options = options;
  shared_->stop = std::move(stop);
  shared_->reader = std::move(reader);
  const auto type = fileSystemType(shared_->root);
  shared_->fillsEachRead = fillsEachRead(type);
  shared_->sharesOneDevice = sharesOneDevice(type);
  for (std::string& point : mountPointsBelow(readMountTable(), shared_->root)) {
    shared_->mountParents.insert(point.substr(0, std::max<std::size_t>(point.rfind('/'), 1)));
    shared_->mountPoints.insert(std::move(point));
  }
  shared_->tasks.push_back({root_.get(), shared_->root, {}});
  shared_->count = std::max(1u, options.threads);
}

void NamesWalk::run() {
  Shared& shared = *shared_;
  shared.readingThread = std::this_thread::get_id();
  memory_->enter(0);
  {
    std::vector<std::jthread> others;
    try {
      for (unsigned k = 1; k < shared.count; ++k)
        others.emplace_back([&shared, this, k] {
          memory_->enter(k);
          shared.work();
        });
    } catch (const std::system_error&) {
      // Fewer threads walk: none waits for the ones that did not start.
      const std::lock_guard lock(shared.mutex);
      shared.count = static_cast<unsigned>(others.size()) + 1;
    }
    // As on the other threads, a failure of the walk itself (out of memory) ends the process.
    [&shared]() noexcept { shared.work(); }();
  }
  shared.readFinished();
  if (shared.readerFailure) std::rethrow_exception(shared.readerFailure);
}

NamesWalk::~NamesWalk() {
  root_.reset();
}

}  // namespace fff

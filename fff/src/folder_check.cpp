#include "folder_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <utility>

#include "shares.h"
#include "unique_fd.h"

namespace fff {
namespace {

// Only what the comparison reads (the device always comes), and what the kernel holds now: a
// network file system need not ask its server.
constexpr unsigned kStatxMask = STATX_TYPE | STATX_MTIME | STATX_INO;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC;

// The folders below each folder and their names, as arrays with a range per directory slot.
class FolderTree {
 public:
  explicit FolderTree(const Index& index) : begin_(index.directories().size() + 1, 0) {
    const auto& folders = index.folders();
    for (std::uint32_t slot = 1; slot < folders.size(); ++slot)
      if (index.directory(slot).alive && folders[slot].parent != kNone) ++begin_[folders[slot].parent + 1];
    for (std::size_t k = 1; k < begin_.size(); ++k)
      begin_[k] += begin_[k - 1];
    children_.resize(begin_.back());
    std::vector<std::uint32_t> next(begin_.begin(), begin_.end() - 1);
    for (std::uint32_t slot = 1; slot < folders.size(); ++slot)
      if (index.directory(slot).alive && folders[slot].parent != kNone)
        children_[next[folders[slot].parent]++] = slot;
    // The names are gathered in one pass, where many lookups are in flight at once: looked up
    // one at a time beside the system calls, each one waited on memory.
    const NameTable& names = index.names();
    names_.resize(children_.size());
    for (std::size_t k = 0; k < children_.size(); ++k)
      if (const std::uint32_t id = folders[children_[k]].name; id < names.size()) names_[k] = names.text(id);
    // A folder's slot follows its parent's: from the last up, each is counted in its parent.
    descendants_.assign(folders.size(), 0);
    for (auto slot = static_cast<std::uint32_t>(folders.size()); slot-- > 1;)
      if (index.directory(slot).alive && folders[slot].parent != kNone)
        descendants_[folders[slot].parent] += descendants_[slot] + 1;
  }
  const std::uint32_t* begin(std::uint32_t slot) const { return children_.data() + begin_[slot]; }
  // The names of the folders below `slot`, in the order of `begin`.
  const std::string_view* names(std::uint32_t slot) const { return names_.data() + begin_[slot]; }
  const std::uint32_t* end(std::uint32_t slot) const { return children_.data() + begin_[slot + 1]; }
  bool hasChildren(std::uint32_t slot) const { return begin_[slot] != begin_[slot + 1]; }
  std::uint32_t descendants(std::uint32_t slot) const { return descendants_[slot]; }

 private:
  std::vector<std::uint32_t> begin_;
  std::vector<std::uint32_t> descendants_;
  std::vector<std::uint32_t> children_;
  std::vector<std::string_view> names_;
};

// What a folder is now, or null when it could not be read: called once per folder looked at,
// from any of the threads.
using FolderVisit = std::function<void(std::uint32_t slot, const struct statx* now)>;

// Reads what the wanted folders are now, each relative to an open folder above it.
class Check {
 public:
  Check(const Index& index, const std::string& root, const std::function<bool(std::uint32_t)>& wanted,
        FolderVisit visit)
      : index_(index), root_(root), wanted_(wanted), visit_(std::move(visit)), tree_(index) {}

  // The folders checked by their whole path, each with everything below it: those of the first
  // level below the root with enough folders for the threads to share, at most two down.
  std::vector<std::uint32_t> startingPoints(unsigned threads) {
    constexpr int kMostLevels = 2;
    std::vector<std::uint32_t> level{kRootDirectory};
    for (int depth = 0; depth < kMostLevels && level.size() < threads * 8u; ++depth) {
      std::vector<std::uint32_t> next;
      for (const std::uint32_t slot : level)
        for (const std::uint32_t* child = tree_.begin(slot); child != tree_.end(slot); ++child)
          if (wanted_(*child)) next.push_back(*child);
      if (next.empty()) break;
      for (const std::uint32_t slot : level)
        byPath(slot);
      level.swap(next);
    }
    // The largest subtrees first, so that the last ones taken are small and neither thread is
    // left alone with a large one at the end.
    std::stable_sort(level.begin(), level.end(), [this](std::uint32_t a, std::uint32_t b) {
      return tree_.descendants(a) > tree_.descendants(b);
    });
    return level;
  }

  // A folder and everything below it, from its whole path.
  void below(std::uint32_t slot) {
    const std::string path = absolutePath(slot);
    if (!tree_.hasChildren(slot)) {
      struct statx info;
      compare(slot, ::statx(AT_FDCWD, path.c_str(), kStatxFlags, kStatxMask, &info), info);
      return;
    }
    const UniqueFd fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
      markBelow(slot);
      return;
    }
    struct statx info;
    compare(slot, ::statx(fd.get(), "", AT_EMPTY_PATH | kStatxFlags, kStatxMask, &info), info);
    std::string below;
    descend(slot, fd, below, 0);
  }

 private:
  void byPath(std::uint32_t slot) {
    struct statx info;
    compare(slot, ::statx(AT_FDCWD, absolutePath(slot).c_str(), kStatxFlags, kStatxMask, &info), info);
  }

  // Checks the folders below `slot`, which lies at `relative` (`steps` names) below `fd`, a
  // descriptor open for lookups only (O_PATH). A folder with many folders below it is opened in
  // turn, so that their lookups stay short; the others are looked up through it by a relative
  // path of a few names, which costs less than opening and closing it. One that cannot be
  // opened is changed, and so is everything below it, to be read again if it is still there.
  // `path` is the relative path, ending in "/" unless empty; it is extended for each child and
  // given back as it came.
  void descend(std::uint32_t slot, const UniqueFd& fd, std::string& path, int steps) {
    constexpr std::uint32_t kOpenFrom = 8;
    constexpr int kMostSteps = 4;
    const std::size_t base = path.size();
    struct statx info;
    const std::uint32_t* const first = tree_.begin(slot);
    const std::uint32_t* const end = tree_.end(slot);
    const std::string_view* const names = tree_.names(slot);
    for (const std::uint32_t* child = first; child != end; ++child) {
      prefetchNext(child, end, names + (child - first));
      if (!wanted_(*child)) continue;
      path.resize(base);
      path += names[child - first];
      const bool opened =
          tree_.hasChildren(*child) && (tree_.descendants(*child) >= kOpenFrom || steps + 1 >= kMostSteps);
      if (!opened) {
        compare(*child, ::statx(fd.get(), path.c_str(), kStatxFlags, kStatxMask, &info), info);
        if (!tree_.hasChildren(*child)) continue;
        path += '/';
        descend(*child, fd, path, steps + 1);
        continue;
      }
      // A folder opened for its own is read from its descriptor: its name is looked up once.
      // One that is no longer a folder (or a link now) cannot be opened so, and is changed.
      const UniqueFd childFd(::openat(fd.get(), path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!childFd.valid()) {
        markBelow(*child);
        continue;
      }
      compare(*child, ::statx(childFd.get(), "", AT_EMPTY_PATH | kStatxFlags, kStatxMask, &info), info);
      std::string below;
      descend(*child, childFd, below, 0);
    }
    path.resize(base);
  }

  // Asks for what the folder checked after `child` will read, while the kernel answers for this
  // one: the name and record of its first folder, or of its next sibling.
  void prefetchNext(const std::uint32_t* child, const std::uint32_t* end,
                    const std::string_view* name) const {
    if (tree_.hasChildren(*child)) {
      const std::uint32_t below = *tree_.begin(*child);
      __builtin_prefetch(tree_.names(*child)->data());
      __builtin_prefetch(&index_.directory(below));
    }
    if (child + 1 != end) {
      __builtin_prefetch(name[1].data());
      __builtin_prefetch(&index_.directory(child[1]));
    }
  }

  void compare(std::uint32_t slot, int outcome, const struct statx& info) {
    visit_(slot, outcome == 0 ? &info : nullptr);
  }

  void markBelow(std::uint32_t slot) {
    visit_(slot, nullptr);
    for (const std::uint32_t* child = tree_.begin(slot); child != tree_.end(slot); ++child)
      if (wanted_(*child)) markBelow(*child);
  }

  std::string absolutePath(std::uint32_t slot) const { return index_.absoluteDirectoryPath(root_, slot); }

  const Index& index_;
  const std::string& root_;
  const std::function<bool(std::uint32_t)>& wanted_;
  const FolderVisit visit_;
  const FolderTree tree_;
};

std::int64_t stampOf(const struct statx_timestamp& time) {
  return time.tv_sec * 1000000000ll + time.tv_nsec;
}

bool sameFolder(const Directory& directory, const struct statx& now) {
  return S_ISDIR(now.stx_mode) && makedev(now.stx_dev_major, now.stx_dev_minor) == directory.device &&
         now.stx_ino == directory.inode;
}

void checkFolders(const Index& index, const std::string& root, unsigned threads,
                  const std::function<bool(std::uint32_t)>& wanted, FolderVisit visit) {
  if (!wanted(kRootDirectory)) return;
  Check check(index, root, wanted, std::move(visit));
  const std::vector<std::uint32_t> points = check.startingPoints(threads);
  eachInTurn(points.size(), threads, [&](std::size_t k) { check.below(points[k]); });
}

}  // namespace

std::vector<char> changedFolders(const Index& index, const std::string& root, unsigned threads,
                                 const std::function<bool(std::uint32_t)>& wanted) {
  std::vector<char> changed(index.directories().size(), 0);
  checkFolders(index, root, threads, wanted, [&](std::uint32_t slot, const struct statx* now) {
    const Directory& directory = index.directory(slot);
    changed[slot] = !directory.listed || now == nullptr || !sameFolder(directory, *now) ||
                    stampOf(now->stx_mtime) != directory.stamp;
  });
  return changed;
}

std::vector<std::int64_t> stampsToSave(const Index& index, const std::string& root,
                                       std::int64_t scanStarted) {
  const auto directories = index.directories();
  const auto listed = [&](std::uint32_t slot) { return directories[slot].alive && directories[slot].listed; };
  std::vector<std::int64_t> stamps(directories.size());
  bool racy = false;
  bool unread = false;
  for (std::uint32_t slot = 0; slot < directories.size(); ++slot) {
    stamps[slot] = directories[slot].stamp;
    if (!listed(slot)) continue;
    unread = unread || stamps[slot] == kStampUnread;
    if (stamps[slot] != kStampUnread && stamps[slot] >= scanStarted) {
      stamps[slot] = kStampUnread;
      racy = true;
    }
  }
  if (!racy && !unread) return {};
  if (!unread) return stamps;
  // One thread: this runs as the index is written, often in a process of its own that holds
  // only the thread that forked it.
  checkFolders(index, root, 1, listed, [&](std::uint32_t slot, const struct statx* now) {
    const Directory& directory = directories[slot];
    if (directory.stamp != kStampUnread || now == nullptr || !sameFolder(directory, *now)) return;
    if (stampOf(now->stx_mtime) < scanStarted) stamps[slot] = stampOf(now->stx_mtime);
  });
  return stamps;
}

}  // namespace fff

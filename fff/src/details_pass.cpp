#include "details_pass.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "shares.h"
#include "unique_fd.h"

namespace fff {
namespace {

// Subtrees up to this many entries are read by one thread from top to bottom; folders above
// them are read one by one, so that a few large subtrees still spread over the cores.
constexpr std::uint64_t kSubtreeEntries = 4096;
struct ReadTask {
  std::uint32_t slot;
  bool subtree;  // with every folder below it, else the folder's own children alone
};

class Reader {
 public:
  Reader(const Index& index, const std::string& root, std::vector<ReadDetail>& out)
      : index_(index), root_(root), out_(out) {}

  void run(const ReadTask& task) {
    std::vector<std::uint32_t> later{task.slot};
    while (!later.empty()) {
      const std::uint32_t slot = later.back();
      later.pop_back();
      const UniqueFd fd(::open(absolutePath(slot).c_str(), kFolderOpenFlags));
      if (fd.valid()) read(slot, fd.get(), task.subtree ? 1 : kMaxOpenDepth + 1, later);
    }
  }

 private:
  void read(std::uint32_t slot, int fd, unsigned depth, std::vector<std::uint32_t>& later) {
    for (const std::uint32_t entry : index_.children(slot)) {
      const Details& details = index_.details(entry);
      if (details.detailed || index_.entries()[entry].kind == Kind::removed) continue;
      name_.assign(index_.name(entry));
      struct statx info;
      if (::statx(fd, name_.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                  STATX_SIZE | STATX_MTIME, &info) != 0)
        continue;
      out_.push_back({entry, info.stx_size, info.stx_mtime.tv_sec});
    }
    if (depth > kMaxOpenDepth) return;
    for (const std::uint32_t entry : index_.children(slot)) {
      const std::uint32_t child = index_.details(entry).directory;
      if (child == kNone || !index_.directory(child).alive || !index_.directory(child).listed) continue;
      if (depth == kMaxOpenDepth) {
        later.push_back(child);
        continue;
      }
      name_.assign(index_.name(entry));
      const UniqueFd childFd(::openat(fd, name_.c_str(), kFolderOpenFlags));
      if (childFd.valid()) read(child, childFd.get(), depth + 1, later);
    }
  }

  std::string absolutePath(std::uint32_t slot) const { return index_.absoluteDirectoryPath(root_, slot); }

  const Index& index_;
  const std::string& root_;
  std::vector<ReadDetail>& out_;
  std::string name_;
};

std::uint32_t parentSlot(const Index& index, std::uint32_t slot) {
  const std::uint32_t entry = index.directory(slot).entry;
  return entry == kNone ? kNone : index.entries()[entry].parent;
}

// The subtrees small enough for one thread, and the folders above them one by one.
std::vector<ReadTask> tasks(const Index& index) {
  const auto& directories = index.directories();
  std::vector<std::uint64_t> below(directories.size(), 0);
  // A folder's slot follows its parent's: from the last slot back, each subtree is whole when
  // it is added to its parent's.
  for (std::uint32_t slot = static_cast<std::uint32_t>(directories.size()); slot-- > 0;) {
    if (!directories[slot].alive) continue;
    below[slot] += index.children(slot).size();
    if (const std::uint32_t parent = parentSlot(index, slot); parent != kNone) below[parent] += below[slot];
  }
  std::vector<ReadTask> found;
  for (std::uint32_t slot = 0; slot < directories.size(); ++slot) {
    if (!directories[slot].alive || !directories[slot].listed) continue;
    const std::uint32_t parent = parentSlot(index, slot);
    if (below[slot] > kSubtreeEntries)
      found.push_back({slot, false});
    else if (parent == kNone || below[parent] > kSubtreeEntries)
      found.push_back({slot, true});
  }
  // The largest first, so that the last one taken is small.
  std::stable_sort(found.begin(), found.end(), [&](const ReadTask& a, const ReadTask& b) {
    const auto cost = [&](const ReadTask& task) {
      return task.subtree ? below[task.slot] : index.children(task.slot).size();
    };
    return cost(a) > cost(b);
  });
  return found;
}

}  // namespace

std::vector<ReadDetail> readMissingDetails(const Index& index, const std::string& root, unsigned threads,
                                           const std::stop_token& stop) {
  const std::vector<ReadTask> work = tasks(index);
  std::vector<std::vector<ReadDetail>> read(work.size());
  eachInTurn(work.size(), threads, [&](std::size_t k) {
    if (stop.stop_requested()) return;
    Reader(index, root, read[k]).run(work[k]);
  });
  std::vector<ReadDetail> all;
  std::size_t total = 0;
  for (const auto& part : read)
    total += part.size();
  all.reserve(total);
  for (const auto& part : read)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace fff

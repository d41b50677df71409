#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "index.h"

namespace fff {

struct WalkedFolder;

// Frees a walked folder into the walk's own memory.
struct WalkedFolderDeleter {
  std::pmr::memory_resource* memory = nullptr;
  void operator()(WalkedFolder* folder) const;
};
using WalkedFolderPtr = std::unique_ptr<WalkedFolder, WalkedFolderDeleter>;

// One child of a walked folder: what its parent's listing tells, and for a folder that is
// entered, its own listing.
struct WalkedChild {
  std::uint32_t nameAt = 0;
  std::uint32_t nameLength = 0;
  Listed listed;  // without its name, which is kept in the folder's block of names
  WalkedFolderPtr folder;
};

// One folder's children by name and kind, read by the walk; `done` once they are all there.
struct WalkedFolder {
  explicit WalkedFolder(std::pmr::memory_resource* memory) : names(memory), children(memory) {}

  std::pmr::string names;
  std::pmr::vector<WalkedChild> children;
  int error = 0;  // errno of opening or reading it
  std::atomic<bool> done{false};

  std::string_view name(const WalkedChild& child) const {
    return std::string_view(names).substr(child.nameAt, child.nameLength);
  }
};

struct WalkOptions {
  bool skipHidden = false;
  bool crossFileSystems = false;
  dev_t rootDevice = 0;
  ino_t rootInode = 0;
  unsigned threads = 1;
};

// Walks every folder below `root` by name and kind on `options.threads` threads of its own, as
// the folders themselves record them (a child is read in full only when it is a folder or of a
// kind its folder does not record). Each thread goes down its own subtree, opening each folder
// relative to its parent, and hands subfolders to an idle thread. A folder on another file
// system is entered only when asked, one that is its own ancestor never. The returned root
// fills in meanwhile: a reader waits for each folder (every folder below the root ends done,
// even when stopped), and may free it once done.
class NamesWalk {
 public:
  NamesWalk(std::string root, WalkOptions options, std::stop_token stop);
  ~NamesWalk();
  NamesWalk(const NamesWalk&) = delete;
  NamesWalk& operator=(const NamesWalk&) = delete;

  // The root folder's listing; its children's folders are taken (moved out) by the reader.
  WalkedFolder& root() { return *root_; }
  // Returns once the folder's children are all there.
  void waitFor(const WalkedFolder& folder) const;
  // Waits for the threads; the folders taken from the walk must be freed after this, and
  // before the walk itself goes.
  void join();

 private:
  struct Shared;
  // The walk's folders live in memory of its own, handed back whole when it ends: freed bit by
  // bit into the threads' heaps, it would leave them fragmented for as long as the index lives.
  std::unique_ptr<std::pmr::memory_resource> mapped_;
  std::unique_ptr<std::pmr::synchronized_pool_resource> memory_;
  WalkedFolderPtr root_;
  std::unique_ptr<Shared> shared_;
};

}  // namespace fff

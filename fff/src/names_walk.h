#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <span>
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

// One child of a walked folder: what its parent's listing tells, and for a folder, its own
// listing. Small, as there is one per entry: only a child whose kind the listing does not give
// is read in full, its record in its folder's `read`.
struct WalkedChild {
  static constexpr std::uint32_t kNotRead = UINT32_MAX;

  std::uint32_t nameAt = 0;
  std::uint16_t nameLength = 0;
  bool symlink = false;             // of a child not read in full
  std::uint32_t readAt = kNotRead;  // its record in the folder's `read`
  ino_t inode = 0;                  // of a child not read in full
  WalkedFolderPtr folder;
};

// One folder's children by name and kind, read by the walk, then handed to the reader once
// they are all there.
struct WalkedFolder {
  explicit WalkedFolder(std::pmr::memory_resource* memory) : names(memory), children(memory), read(memory) {}

  std::pmr::string names;
  std::pmr::vector<WalkedChild> children;
  std::pmr::vector<Listed> read;  // the children read in full, without their names
  int error = 0;                  // errno of opening or reading it
  // The folder itself, read once opened (or, when it could not be, by name): a folder on
  // another file system, or one that is its own ancestor, is not entered and lists nothing.
  Listed self;
  // Whether `self` came from the parent's listing (kind, inode, the parent's device), which on a
  // file system whose folders all share its device is all the walk needs: its time is read later.
  bool selfFromListing = false;
  bool entered = true;
  WalkedFolder* nextFinished = nullptr;  // the walk's list of finished folders
  // The reader's own: where it put the folder (its slot in the index, say) before it finished.
  std::uint32_t readerTag = 0;

  std::string_view name(const WalkedChild& child) const {
    return std::string_view(names).substr(child.nameAt, child.nameLength);
  }
  // What is known of the child, without its name: one the listing gave the kind of has its kind
  // and inode alone (not `detailed`); a folder's own record comes with its listing.
  Listed listed(const WalkedChild& child) const {
    if (child.readAt != WalkedChild::kNotRead) return read[child.readAt];
    Listed listed;
    if (child.folder) listed.kind = Kind::directory;
    listed.symlink = child.symlink;
    listed.inode = child.inode;
    listed.detailed = false;
    return listed;
  }
};

struct WalkOptions {
  bool skipHidden = false;
  bool crossFileSystems = false;
  dev_t rootDevice = 0;
  unsigned threads = 1;
};

// Walks every folder below `root` by name and kind on `options.threads` threads (the caller's
// among them), as the folders themselves record them (a child is read in full only when its
// folder does not record its kind). Each thread goes down its own subtree, opening each folder
// relative to its parent, and hands subfolders to an idle thread. A folder on another file
// system is entered only when asked, one that is its own ancestor never; a mount point is read
// by name before it is opened, so that an automount point is not mounted by the walk.
//
// Finished folders go to the reader in the order they finished, each after its parent (every
// folder below the root finishes, empty when stopped), a batch at a time on the thread that
// runs the walk, which walks too: as it finishes a folder of its own, and while it waits for
// work. The reader's work is shared with the walk instead of a thread of its own competing with
// the walking threads for the cores. It may free each folder it is given.
using FolderReader = std::function<void(std::span<WalkedFolder* const>)>;

class NamesWalk {
 public:
  NamesWalk(std::string root, WalkOptions options, std::stop_token stop, FolderReader reader);
  ~NamesWalk();
  NamesWalk(const NamesWalk&) = delete;
  NamesWalk& operator=(const NamesWalk&) = delete;

  // The root folder's listing; its children's folders are taken (moved out) by the reader.
  WalkedFolder& root() { return *root_; }
  // Walks, and returns once every folder has been read; rethrows what the reader threw (the
  // walk stops at its first failure). The folders the reader kept must be freed after this, and
  // before the walk itself goes.
  void run();

 private:
  struct Shared;
  class Arenas;
  // The walk's folders live in memory of its own, handed back whole when it ends: freed bit by
  // bit into the threads' heaps, it would leave them fragmented for as long as the index lives.
  std::unique_ptr<Arenas> memory_;
  WalkedFolderPtr root_;
  std::unique_ptr<Shared> shared_;
};

}  // namespace fff

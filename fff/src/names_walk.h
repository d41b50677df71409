#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "index.h"

namespace fff {

struct WalkedFolder;

// One child of a walked folder: what its parent's listing tells, and for a folder that is
// entered, its own listing.
struct WalkedChild {
  std::uint32_t nameAt = 0;
  std::uint32_t nameLength = 0;
  Listed listed;  // without its name, which is kept in the folder's block of names
  std::unique_ptr<WalkedFolder> folder;
};

// One folder's children by name and kind, read by the walk; `done` once they are all there.
struct WalkedFolder {
  std::string names;
  std::vector<WalkedChild> children;
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
// even when stopped), and may free it once done. The destructor waits for the threads.
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

 private:
  struct Shared;
  std::unique_ptr<WalkedFolder> root_;
  std::unique_ptr<Shared> shared_;
};

}  // namespace fff

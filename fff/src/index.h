#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "names.h"
#include "stored.h"

namespace fff {

struct SavedIndexAccess;

enum class Kind : std::uint8_t { file = 0, directory = 1, removed = 2 };

inline constexpr std::uint32_t kNone = UINT32_MAX;
// The directory slot of the root folder itself, which is not an entry.
inline constexpr std::uint32_t kRootDirectory = 0;

// What reading a folder tells about one of its children.
struct Listed {
  std::string name;
  Kind kind = Kind::file;
  bool symlink = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  dev_t device = 0;
  ino_t inode = 0;
  bool detailed = true;    // size and time read; a names-only listing leaves them for later
  std::int64_t stamp = 0;  // a folder's modification time in nanoseconds, when read
};

// One file or folder below the root as every pass over the index reads it: 16 bytes, as the
// index holds hundreds of thousands of these and a search streams through all of them.
struct Entry {
  std::uint32_t name;    // id in the index's name table
  std::uint32_t parent;  // directory slot of the folder holding it
  std::uint16_t depth;   // folders between it and the root
  std::uint16_t pathLength;
  Kind kind;
};

// The rest of an entry, kept apart: read only for entries a search has already chosen.
struct Details {
  std::uint64_t size;
  std::uint32_t directory;  // its own directory slot when it is a folder, else kNone
  bool symlink;
  bool detailed;  // size and modification time have been read
};

// A folder as a pass over the folders reads it, by directory slot: the name and the parent
// slot of its entry, or kNone for the root and for removed folders.
struct Folder {
  std::uint32_t name = kNone;
  std::uint32_t parent = kNone;
};

// The stamp of a folder listed before its time was read: it matches no time a folder has, so a
// check always finds it changed until its time is read.
inline constexpr std::int64_t kStampUnread = INT64_MIN;

// A folder by directory slot; a plain record, so that a saved index holds these as they are.
struct Directory {
  std::uint32_t entry = kNone;  // kNone for the root
  int watch = -1;               // inotify watch descriptor; -1 when not watched
  dev_t device = 0;
  ino_t inode = 0;
  // Its modification time (nanoseconds) when last listed: unchanged, it holds the same names.
  std::int64_t stamp = 0;
  bool alive = true;
  bool listed = false;  // its children have been read at least once
  bool polled = false;  // could not be watched: rescanned periodically instead
  std::uint8_t unused[5] = {};
};

// The files and folders of one tree as flat arrays: entries refer to their folder by slot, and
// a folder's slot always follows its parent's. The arrays may lie in a mapped saved index,
// read where they lie until the first change copies the one it changes. Not synchronised: the
// owner guards it.
class Index {
 public:
  Index();

  std::uint32_t add(std::uint32_t parentDirectory, const Listed& listed);
  // The same for a name already in the name table (listed.name is not read).
  std::uint32_t addNamed(std::uint32_t parentDirectory, std::uint32_t name, const Listed& listed);
  std::uint32_t intern(std::string_view name) { return names_.intern(name); }
  void internAll(std::span<const std::string_view> names, std::vector<std::uint32_t>& ids) {
    names_.internAll(names, ids);
  }
  void reserveNames(std::size_t names, std::size_t bytes) { names_.reserve(names, bytes); }
  // Room for this many entries and folders, ahead of adding them.
  void reserve(std::size_t entries, std::size_t directories);
  void update(std::uint32_t entry, const Listed& listed);
  // Records what a folder added by name is (device, inode, modification time), read once it
  // was opened; its entry's size and time only when `self` is `detailed`.
  void describeDirectory(std::uint32_t slot, const Listed& self);
  // Records a size and time read after the entry was added by name.
  void detail(std::uint32_t entry, std::uint64_t size, std::int64_t modified);
  // Removes an entry and, for a folder, everything below it. Returns the directory slots of
  // the folders removed; they keep their watch descriptor for the caller to release.
  std::vector<std::uint32_t> remove(std::uint32_t entry);

  std::string_view name(std::uint32_t at) const { return names_.text(entries_[at].name); }
  // The path relative to the root, components joined by "/".
  void appendPath(std::string& out, std::uint32_t entry) const;
  std::string path(std::uint32_t entry) const;
  std::string directoryPath(std::uint32_t directory) const;
  // The folder's path below `root`, as the system names it.
  std::string absoluteDirectoryPath(const std::string& root, std::uint32_t directory) const;
  // The folded path, for scoring matches that span folders.
  void appendFoldedPath(std::string& out, std::uint32_t entry) const;

  std::span<const Entry> entries() const { return entries_.span(); }
  const Details& details(std::uint32_t at) const { return details_[at]; }
  const NameTable& names() const { return names_; }
  // The entries carrying one name, newest first, as a chain: from the name's last entry on to
  // each one's predecessor, until kNone. Removed entries stay in their chain, marked removed.
  std::uint32_t lastWithName(std::uint32_t name) const {
    return name < lastWithName_.size() ? lastWithName_[name] : kNone;
  }
  std::uint32_t previousWithName(std::uint32_t at) const { return previousWithName_[at]; }
  // Modification times apart from the records: a newest-first glob reads them in a row.
  std::int64_t modified(std::uint32_t at) const { return modified_[at]; }
  // Each directory slot's folder name and parent, for the passes that read every folder.
  std::span<const Folder> folders() const { return folders_.span(); }
  std::span<const Directory> directories() const { return directories_.span(); }
  const Directory& directory(std::uint32_t slot) const { return directories_[slot]; }
  // The folder's record to change; the first change copies the folders out of a saved index.
  Directory& changeDirectory(std::uint32_t slot) { return directories_.change(slot); }
  std::size_t liveCount() const { return live_; }

  // A folder's live children (entry indexes). They are not saved: after loading, or once
  // forgotten, they are gathered from the entries on the first call to indexChildren (or a
  // removal), which must come before children is read. Entries added meanwhile are not listed
  // one by one: a first scan adds hundreds of thousands and its caller may never ask.
  const std::vector<std::uint32_t>& children(std::uint32_t slot) const { return children_[slot]; }
  void indexChildren();
  void forgetChildren();

  // Copies every array out of the saved index it was loaded from, which it then lets go.
  void ownEverything();
  // True while every array is read where it lies in a saved index.
  bool readInPlace() const;

  // Returns memory held for growth once a scan has finished.
  void shrink();

 private:
  friend struct SavedIndexAccess;

  Stored<Entry> entries_;
  Stored<Details> details_;
  Stored<std::int64_t> modified_;
  Stored<Directory> directories_;
  Stored<Folder> folders_;
  NameTable names_;
  Stored<std::uint32_t> lastWithName_;
  Stored<std::uint32_t> previousWithName_;
  std::size_t live_ = 0;
  // Per directory slot; empty and not `childrenIndexed_` after loading, until needed.
  std::vector<std::vector<std::uint32_t>> children_;
  bool childrenIndexed_ = true;
  // What the arrays read in place lie in (a mapped file), kept as long as any does.
  std::shared_ptr<const void> backing_;
};

}  // namespace fff

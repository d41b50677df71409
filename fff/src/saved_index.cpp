#include "saved_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "checked_mark.h"
#include "fff.h"
#include "shares.h"
#include "unique_fd.h"
#include "whole_file.h"

namespace fff {
namespace {

// Raised whenever the layout below changes; with the interface version and the sizes of the
// records it decides whether a file written by another build of the library is read at all.
constexpr char kMagic[8] = {'Q', 'F', 'F', 'F', 'I', 'D', 'X', '\n'};
constexpr std::uint32_t kFormat = 7;
constexpr std::uint32_t kEndianMark = 0x01020304;

// A check of the whole file against damage (a torn write, a flipped bit), run on every start:
// four independent lanes of eight bytes, so that it goes at memory speed. The lanes are named
// variables, not an array: kept in an array, they went through memory on every step, at a
// third of the speed. Not a defence against a hostile writer; the file is the user's own.
std::uint64_t checksum(std::string_view data) {
  constexpr std::uint64_t kMultiplier = 0xff51afd7ed558ccdull;
  const auto mix = [](std::uint64_t lane, std::uint64_t word) {
    lane = (lane ^ word) * kMultiplier;
    return lane ^ (lane >> 32);
  };
  std::uint64_t a = 0x9e3779b97f4a7c15ull ^ data.size(), b = 0xc2b2ae3d27d4eb4full, c = 0x165667b19e3779f9ull,
                d = 0x27d4eb2f165667c5ull;
  std::size_t at = 0;
  for (; at + 32 <= data.size(); at += 32) {
    std::uint64_t words[4];
    std::memcpy(words, data.data() + at, 32);
    a = mix(a, words[0]);
    b = mix(b, words[1]);
    c = mix(c, words[2]);
    d = mix(d, words[3]);
  }
  std::uint64_t hash = a;
  for (const std::uint64_t lane : {b, c, d})
    hash = ((hash ^ lane) * kMultiplier) ^ (hash >> 29);
  for (; at < data.size(); ++at)
    hash = (hash ^ static_cast<unsigned char>(data[at])) * 0x100000001b3ull;
  return hash;
}

// The file is checked in pieces of this size, each on whichever core is free, and the pieces'
// sums summed in order: reading 36 MB is then shared by the cores.
constexpr std::size_t kChecksumPiece = std::size_t{1} << 20;

std::size_t checksumPieces(std::string_view data) {
  return std::max<std::size_t>(1, (data.size() + kChecksumPiece - 1) / kChecksumPiece);
}

std::uint64_t checksumPiece(std::string_view data, std::size_t piece) {
  return checksum(data.substr(piece * kChecksumPiece, kChecksumPiece));
}

std::uint64_t checksumOf(const std::vector<std::uint64_t>& pieces) {
  return checksum({reinterpret_cast<const char*>(pieces.data()), pieces.size() * sizeof(std::uint64_t)});
}

std::uint64_t fileChecksum(std::string_view data) {
  std::vector<std::uint64_t> pieces(checksumPieces(data));
  for (std::size_t piece = 0; piece < pieces.size(); ++piece)
    pieces[piece] = checksumPiece(data, piece);
  return checksumOf(pieces);
}

// Every array starts at a multiple of this from the start of the file, which is mapped at a
// page's start, so that each lies aligned for its records and is read where it lies.
constexpr std::size_t kAlignment = 8;

class Writer {
 public:
  template <class T>
  void put(const T& value) {
    const auto* bytes = reinterpret_cast<const char*>(&value);
    out_.append(bytes, sizeof value);
  }
  void text(std::string_view value) {
    put(static_cast<std::uint32_t>(value.size()));
    out_.append(value);
  }
  // Padding to the alignment, a count, then the elements' bytes as they lie in memory.
  template <class T>
  void array(const T* data, std::size_t count) {
    static_assert(alignof(T) <= kAlignment);
    out_.append((kAlignment - out_.size() % kAlignment) % kAlignment, '\0');
    put(static_cast<std::uint64_t>(count));
    out_.append(reinterpret_cast<const char*>(data), count * sizeof(T));
  }
  template <class T>
  void array(std::span<const T> values) {
    array(values.data(), values.size());
  }
  template <class T>
  void array(const Stored<T>& values) {
    array(values.data(), values.size());
  }
  std::string& bytes() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  template <class T>
  bool get(T& value) {
    if (data_.size() - at_ < sizeof value) return false;
    std::memcpy(&value, data_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool text(std::string_view& value, std::size_t maximum) {
    std::uint32_t length = 0;
    if (!get(length) || length > maximum || data_.size() - at_ < length) return false;
    value = data_.substr(at_, length);
    at_ += length;
    return true;
  }
  // An array read where it lies: `out` views the file's bytes.
  template <class T>
  bool array(Stored<T>& out) {
    const std::size_t padding = (kAlignment - at_ % kAlignment) % kAlignment;
    if (data_.size() - at_ < padding) return false;
    at_ += padding;
    std::uint64_t count = 0;
    if (!get(count) || count > (data_.size() - at_) / sizeof(T)) return false;
    const char* first = data_.data() + at_;
    if (reinterpret_cast<std::uintptr_t>(first) % alignof(T) != 0) return false;
    out.view({reinterpret_cast<const T*>(first), static_cast<std::size_t>(count)});
    at_ += static_cast<std::size_t>(count) * sizeof(T);
    return true;
  }
  bool done() const { return at_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t at_ = 0;
};

// The whole file, mapped read-only; an index read from it keeps it for as long as it lives.
class MappedFile {
 public:
  // The first `size` bytes of the open file; with `populate`, every page is mapped at once,
  // which costs less than a fault per page for a file that is read whole.
  MappedFile(int fd, std::size_t size, bool populate) {
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | (populate ? MAP_POPULATE : 0), fd, 0);
    if (at == MAP_FAILED) return;
    data_ = {static_cast<const char*>(at), size};
  }
  ~MappedFile() {
    if (!data_.empty()) ::munmap(const_cast<char*>(data_.data()), data_.size());
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view data() const { return data_; }

 private:
  std::string_view data_;
};

// A byte that stands for a bool must hold 0 or 1 to be read as one: it is looked at as a byte
// before it is read as a bool.
unsigned char byteOf(const bool& value) {
  return *reinterpret_cast<const unsigned char*>(&value);
}

bool isBool(const bool& value) {
  return byteOf(value) <= 1;
}

// Whether an id is kNone or below `size`, without a branch: kNone wraps to zero.
bool inside(std::uint32_t at, std::size_t size) {
  return std::size_t{static_cast<std::uint32_t>(at + 1)} <= size;
}

}  // namespace

// Writes the arrays of an index and its name table as they lie in memory, and reads them where
// they lie in the file, so that loading is a check, never a copy or a rebuild.
struct SavedIndexAccess {
  // The sizes of the records written raw: a build that lays them out otherwise cannot read them.
  static std::uint64_t layout() {
    return sizeof(Entry) | sizeof(Details) << 8 | sizeof(NameTable::Text) << 16 |
           sizeof(NameTable::Counts) << 24 | std::uint64_t{sizeof(CharMask)} << 32 |
           std::uint64_t{sizeof(Folder)} << 40 | std::uint64_t{sizeof(Directory)} << 48;
  }

  static void putKey(Writer& out, const SavedIndexKey& key) {
    out.put(kMagic);
    out.put(kFormat);
    out.put(static_cast<std::uint32_t>(FFF_OPTIONS_VERSION));
    out.put(kEndianMark);
    out.put(layout());
    out.text(key.root);
    out.put(static_cast<std::uint64_t>(key.device));
    out.put(static_cast<std::uint64_t>(key.inode));
    out.put(static_cast<std::uint8_t>(key.skipHidden));
    out.put(static_cast<std::uint8_t>(key.crossFileSystems));
  }

  static bool keyMatches(Reader& in, const SavedIndexKey& key) {
    char magic[8];
    std::uint32_t format = 0, version = 0, endian = 0;
    std::uint64_t sizes = 0;
    std::string_view root;
    std::uint64_t device = 0, inode = 0;
    std::uint8_t skipHidden = 0, crossFileSystems = 0;
    return in.get(magic) && std::memcmp(magic, kMagic, sizeof magic) == 0 && in.get(format) &&
           format == kFormat && in.get(version) && version == FFF_OPTIONS_VERSION && in.get(endian) &&
           endian == kEndianMark && in.get(sizes) && sizes == layout() && in.text(root, 1 << 16) &&
           root == key.root && in.get(device) && device == static_cast<std::uint64_t>(key.device) &&
           in.get(inode) && inode == static_cast<std::uint64_t>(key.inode) && in.get(skipHidden) &&
           skipHidden == static_cast<std::uint8_t>(key.skipHidden) && in.get(crossFileSystems) &&
           crossFileSystems == static_cast<std::uint8_t>(key.crossFileSystems);
  }

  // As saved, an entry's size and time stand until read again, and a folder has no watch.
  static void write(Writer& out, const Index& index, std::span<const std::int64_t> stamps) {
    const NameTable& names = index.names_;
    out.array(names.bytes_);
    out.array(names.texts_);
    out.array(names.masks_);
    out.array(names.extensions_);
    out.array(names.counts_);
    out.array(names.slots_);
    out.array(index.entries_);
    std::vector<Details> details(index.details_.begin(), index.details_.end());
    for (Details& entry : details)
      entry.detailed = false;
    out.array(details.data(), details.size());
    out.array(index.modified_);
    out.array(index.lastWithName_);
    out.array(index.previousWithName_);
    out.array(index.folders_);
    std::vector<Directory> directories(index.directories_.begin(), index.directories_.end());
    for (std::size_t slot = 0; slot < directories.size(); ++slot) {
      Directory& directory = directories[slot];
      directory.watch = -1;
      directory.polled = false;
      if (slot < stamps.size()) directory.stamp = stamps[slot];
    }
    out.array(directories.data(), directories.size());
  }

  // Places every array where it lies in the file; nothing in them is checked yet.
  static bool read(Reader& in, Index& out) {
    NameTable& names = out.names_;
    return in.array(names.bytes_) && in.array(names.texts_) && in.array(names.masks_) &&
           in.array(names.extensions_) && in.array(names.counts_) && in.array(names.slots_) &&
           in.array(out.entries_) && in.array(out.details_) && in.array(out.modified_) &&
           in.array(out.lastWithName_) && in.array(out.previousWithName_) && in.array(out.folders_) &&
           in.array(out.directories_) && in.done();
  }

  // The checks of every id and offset, which may run at once on several threads.
  static constexpr std::size_t kChecks = 3;
  static bool check(std::size_t which, Index& index) {
    switch (which) {
      case 0:
        return entriesHold(index);
      case 1:
        return namesHold(index.names_);
      default:
        return sizesHold(index) && foldersHold(index);
    }
  }

  static void keep(Index& index, std::shared_ptr<const void> file) { index.backing_ = std::move(file); }

  // Every id and offset in the name table points inside it: a file that passed the checksum
  // can still come from a faulty writer, and a cache never takes the process down.
  static bool namesHold(NameTable& names) {
    const std::size_t count = names.texts_.size();
    if (names.bytes_.size() < NameTable::kReadable || names.masks_.size() != count ||
        names.extensions_.size() != count || names.counts_.size() != count)
      return false;
    // Offsets and lengths are 32 and 16 bits: their sums, in 64, cannot wrap.
    const std::uint64_t end = names.bytes_.size() - NameTable::kReadable;
    bool bad = false;
    for (const NameTable::Text& text : names.texts_) {
      bad |= text.length == 0;
      bad |= std::uint64_t{text.offset} + text.length > end;
      bad |= std::uint64_t{text.foldOffset} + text.foldLength > end;
    }
    // A power of two long and never full, so that every probe ends at a free slot. The ids in
    // the slots are checked when a name is first added (NameTable::checkSlots).
    const std::size_t slots = names.slots_.size();
    if (bad || slots == 0 || (slots & (slots - 1)) != 0 || count * 4 > slots * 3) return false;
    names.slotsChecked_ = false;
    return true;
  }

  // Every entry's ids point inside the index; counts the live ones as it goes.
  static bool sizesHold(const Index& index) {
    const std::size_t entries = index.entries_.size(), names = index.names_.texts_.size();
    const std::size_t slots = index.directories_.size();
    return index.details_.size() == entries && index.modified_.size() == entries &&
           index.previousWithName_.size() == entries && index.lastWithName_.size() <= names &&
           index.folders_.size() == slots && slots != 0;
  }

  static bool entriesHold(Index& index) {
    const std::size_t entries = index.entries_.size(), names = index.names_.texts_.size();
    const std::size_t slots = index.directories_.size();
    if (!sizesHold(index)) return false;
    // Every condition of a block of entries is folded into one flag without a branch: the check
    // reads 14 MB on every load, and a branch per condition cost 2.6 ms more processor time.
    constexpr std::size_t kBlock = 4096;
    std::size_t live = 0;
    for (std::size_t block = 0; block < entries; block += kBlock) {
      bool bad = false;
      for (std::size_t at = block; at < std::min(entries, block + kBlock); ++at) {
        const Entry& entry = index.entries_[at];
        const Details& details = index.details_[at];
        const auto kind = static_cast<std::uint8_t>(entry.kind);
        bad |= entry.name >= names;
        bad |= entry.parent >= slots;
        bad |= kind > static_cast<std::uint8_t>(Kind::removed);
        bad |= !inside(index.previousWithName_[at], entries);
        bad |= !inside(details.directory, slots);
        bad |= (entry.kind == Kind::directory) != (details.directory != kNone);
        bad |= !isBool(details.symlink);
        bad |= byteOf(details.detailed) != 0;
        live += entry.kind != Kind::removed;
      }
      if (bad) return false;
    }
    bool bad = false;
    for (const std::uint32_t last : index.lastWithName_)
      bad |= !inside(last, entries);
    if (bad) return false;
    index.live_ = live;
    // Each folder's children are gathered from the entries once they are needed.
    index.children_.clear();
    index.childrenIndexed_ = false;
    return true;
  }

  // A folder's slot follows its parent's, so that every walk up to the root ends.
  static bool foldersHold(const Index& index) {
    const std::size_t entries = index.entries_.size(), names = index.names_.texts_.size();
    const std::size_t slots = index.directories_.size();
    if (index.directories_[kRootDirectory].entry != kNone || index.folders_[kRootDirectory].parent != kNone)
      return false;
    for (std::size_t slot = 0; slot < slots; ++slot) {
      const Directory& directory = index.directories_[slot];
      if (directory.watch != -1 || !isBool(directory.alive) || !isBool(directory.listed) ||
          !isBool(directory.polled) || directory.polled)
        return false;
      if (slot == kRootDirectory) continue;
      const std::uint32_t entry = directory.entry;
      const Folder& folder = index.folders_[slot];
      if (entry >= entries || index.details_[entry].directory != slot ||
          index.entries_[entry].parent >= slot || !inside(folder.name, names) || !inside(folder.parent, slot))
        return false;
    }
    return true;
  }
};

bool saveIndex(const Index& index, const SavedIndexKey& key, const std::string& path,
               std::span<const std::int64_t> stamps) {
  Writer out;
  SavedIndexAccess::putKey(out, key);
  SavedIndexAccess::write(out, index, stamps);
  out.put(fileChecksum(out.bytes()));

  struct stat written;
  if (!replaceWhole(path, out.bytes(), &written)) return false;
  CheckedMark(path, written).recordWritten();
  return true;
}

bool loadIndex(const std::string& path, const SavedIndexKey& key, Index& out) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
    return false;
  // The checksum is read only for a file not known whole in this boot (see CheckedMark). Every
  // id is checked on every load all the same, so that no file can take the process down.
  const CheckedMark mark(path, info);
  const bool checked = mark.stands();
  auto file = std::make_shared<const MappedFile>(fd.get(), static_cast<std::size_t>(info.st_size), !checked);
  std::string_view data = file->data();
  if (data.size() < sizeof(std::uint64_t)) return false;
  std::uint64_t stored = 0;
  std::memcpy(&stored, data.data() + data.size() - sizeof stored, sizeof stored);
  data.remove_suffix(sizeof stored);
  Reader in(data);
  if (!SavedIndexAccess::keyMatches(in, key) || !SavedIndexAccess::read(in, out)) return false;
  // The checks of the ids first, then the checksum's pieces, taken in turn by the cores; none
  // of `out` is used unless every one holds.
  constexpr std::size_t kChecks = SavedIndexAccess::kChecks;
  std::vector<std::uint64_t> pieces(checked ? 0 : checksumPieces(data));
  std::atomic<bool> sound{true};
  eachInTurn(kChecks + pieces.size(), std::max(1u, std::thread::hardware_concurrency()), [&](std::size_t k) {
    if (!sound.load(std::memory_order_relaxed)) return;
    if (k >= kChecks)
      pieces[k - kChecks] = checksumPiece(data, k - kChecks);
    else if (!SavedIndexAccess::check(k, out))
      sound = false;
  });
  if (!sound || (!checked && checksumOf(pieces) != stored)) return false;
  if (!checked) mark.recordChecked(secondsNow());
  SavedIndexAccess::keep(out, std::move(file));
  return true;
}

}  // namespace fff

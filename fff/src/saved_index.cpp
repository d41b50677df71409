#include "saved_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "fff.h"
#include "unique_fd.h"

namespace fff {
namespace {

// Raised whenever the layout below changes; with the interface version and the sizes of the
// records it decides whether a file written by another build of the library is read at all.
constexpr char kMagic[8] = {'Q', 'F', 'F', 'F', 'I', 'D', 'X', '\n'};
constexpr std::uint32_t kFormat = 4;
constexpr std::uint32_t kEndianMark = 0x01020304;

// A check of the whole file against damage (a torn write, a flipped bit), run on every start:
// four independent lanes of eight bytes, so that it goes at memory speed. Not a defence against
// a hostile writer; the file is the user's own.
std::uint64_t checksum(std::string_view data) {
  constexpr std::uint64_t kMultiplier = 0xff51afd7ed558ccdull;
  std::uint64_t lanes[4] = {0x9e3779b97f4a7c15ull ^ data.size(), 0xc2b2ae3d27d4eb4full, 0x165667b19e3779f9ull,
                            0x27d4eb2f165667c5ull};
  std::size_t at = 0;
  for (; at + 32 <= data.size(); at += 32) {
    std::uint64_t words[4];
    std::memcpy(words, data.data() + at, 32);
    for (int lane = 0; lane < 4; ++lane) {
      lanes[lane] = (lanes[lane] ^ words[lane]) * kMultiplier;
      lanes[lane] ^= lanes[lane] >> 32;
    }
  }
  std::uint64_t hash = lanes[0];
  for (int lane = 1; lane < 4; ++lane)
    hash = ((hash ^ lanes[lane]) * kMultiplier) ^ (hash >> 29);
  for (; at < data.size(); ++at)
    hash = (hash ^ static_cast<unsigned char>(data[at])) * 0x100000001b3ull;
  return hash;
}

// A folder as saved: what Directory holds apart from what only a running instance has (its
// watch, its children, which follow from the entries).
struct SavedDirectory {
  std::int64_t stamp = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint32_t entry = kNone;
  std::uint8_t alive = 0;
  std::uint8_t listed = 0;
  std::uint8_t unused[2] = {};
};

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
  // A count, then the elements' bytes as they lie in memory.
  template <class T>
  void array(const T* data, std::size_t count) {
    put(static_cast<std::uint64_t>(count));
    out_.append(reinterpret_cast<const char*>(data), count * sizeof(T));
  }
  template <class T>
  void array(const std::vector<T>& values) {
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
  template <class Container>
  bool array(Container& out) {
    using T = typename Container::value_type;
    std::uint64_t count = 0;
    if (!get(count) || count > (data_.size() - at_) / sizeof(T)) return false;
    const auto bytes = static_cast<std::size_t>(count) * sizeof(T);
    out.resize(static_cast<std::size_t>(count));
    std::memcpy(out.data(), data_.data() + at_, bytes);
    at_ += bytes;
    return true;
  }
  bool done() const { return at_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t at_ = 0;
};

// The whole file, mapped read-only for as long as it is read.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return;
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return;
    void* at = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                      fd.get(), 0);
    if (at == MAP_FAILED) return;
    data_ = {static_cast<const char*>(at), static_cast<std::size_t>(info.st_size)};
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

}  // namespace

// Reads and writes the arrays of an index and its name table as they lie in memory, so that
// loading is a copy and a check, never a rebuild.
struct SavedIndexAccess {
  // The sizes of the records written raw: a build that lays them out otherwise cannot read them.
  static std::uint64_t layout() {
    return sizeof(Entry) | sizeof(Details) << 8 | sizeof(NameTable::Text) << 16 |
           sizeof(NameTable::Counts) << 24 | std::uint64_t{sizeof(CharMask)} << 32 |
           std::uint64_t{sizeof(Folder)} << 40 | std::uint64_t{sizeof(SavedDirectory)} << 48;
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

  static void write(Writer& out, const Index& index) {
    const NameTable& names = index.names_;
    out.array(names.bytes_.data(), names.bytes_.size());
    out.array(names.texts_);
    out.array(names.masks_);
    out.array(names.extensions_);
    out.array(names.counts_);
    out.array(names.slots_);
    out.array(index.entries_);
    out.array(index.details_);
    out.array(index.modified_);
    out.array(index.lastWithName_);
    out.array(index.previousWithName_);
    out.array(index.folders_);
    std::vector<SavedDirectory> directories(index.directories_.size());
    for (std::size_t slot = 0; slot < directories.size(); ++slot) {
      const Directory& directory = index.directories_[slot];
      directories[slot] = {.stamp = directory.stamp,
                           .device = static_cast<std::uint64_t>(directory.device),
                           .inode = static_cast<std::uint64_t>(directory.inode),
                           .entry = directory.entry,
                           .alive = directory.alive,
                           .listed = directory.listed};
    }
    out.array(directories);
  }

  static bool read(Reader& in, Index& out) {
    NameTable& names = out.names_;
    std::vector<SavedDirectory> directories;
    return in.array(names.bytes_) && in.array(names.texts_) && in.array(names.masks_) &&
           in.array(names.extensions_) && in.array(names.counts_) && in.array(names.slots_) &&
           in.array(out.entries_) && in.array(out.details_) && in.array(out.modified_) &&
           in.array(out.lastWithName_) && in.array(out.previousWithName_) && in.array(out.folders_) &&
           in.array(directories) && in.done() && namesHold(names) && entriesHold(out, directories) &&
           rebuild(out, directories);
  }

  // Every id and offset in the name table points inside it: a file that passed the checksum
  // can still come from a faulty writer, and a cache never takes the process down.
  static bool namesHold(const NameTable& names) {
    const std::size_t count = names.texts_.size();
    if (names.bytes_.size() < NameTable::kReadable || names.masks_.size() != count ||
        names.extensions_.size() != count || names.counts_.size() != count)
      return false;
    const std::size_t end = names.bytes_.size() - NameTable::kReadable;
    for (const NameTable::Text& text : names.texts_)
      if (text.length == 0 || text.offset > end || end - text.offset < text.length || text.foldOffset > end ||
          end - text.foldOffset < text.foldLength)
        return false;
    // A power of two long and never full, so that every probe ends at a free slot.
    const std::size_t slots = names.slots_.size();
    if (slots == 0 || (slots & (slots - 1)) != 0 || count * 4 > slots * 3) return false;
    std::size_t used = 0;
    for (const std::uint32_t id : names.slots_) {
      if (id == UINT32_MAX) continue;
      if (id >= count) return false;
      ++used;
    }
    return used == count;
  }

  static bool entriesHold(const Index& index, const std::vector<SavedDirectory>& directories) {
    const std::size_t entries = index.entries_.size(), names = index.names_.texts_.size();
    const std::size_t slots = directories.size();
    if (index.details_.size() != entries || index.modified_.size() != entries ||
        index.previousWithName_.size() != entries || index.lastWithName_.size() > names ||
        index.folders_.size() != slots || slots == 0 || directories[kRootDirectory].entry != kNone ||
        index.folders_[kRootDirectory].parent != kNone)
      return false;
    const auto inside = [](std::uint32_t at, std::size_t size) { return at == kNone || at < size; };
    for (std::size_t at = 0; at < entries; ++at) {
      const Entry& entry = index.entries_[at];
      const Details& details = index.details_[at];
      if (entry.name >= names || entry.parent >= slots || entry.kind > Kind::removed ||
          !inside(index.previousWithName_[at], entries) || !inside(details.directory, slots) ||
          (entry.kind == Kind::directory) != (details.directory != kNone))
        return false;
    }
    for (const std::uint32_t last : index.lastWithName_)
      if (!inside(last, entries)) return false;
    // A folder's slot follows its parent's, so that every walk up to the root ends.
    for (std::size_t slot = 1; slot < slots; ++slot) {
      const std::uint32_t entry = directories[slot].entry;
      const Folder& folder = index.folders_[slot];
      if (entry >= entries || index.details_[entry].directory != slot ||
          index.entries_[entry].parent >= slot || !inside(folder.name, names) || !inside(folder.parent, slot))
        return false;
    }
    return true;
  }

  // What only a running index holds: each folder's children, the live count. Loaded entries
  // are not detailed: their saved sizes and times stand until they are read again.
  static bool rebuild(Index& out, const std::vector<SavedDirectory>& saved) {
    out.directories_.assign(saved.size(), Directory{});
    for (std::size_t slot = 0; slot < saved.size(); ++slot) {
      Directory& directory = out.directories_[slot];
      directory.entry = saved[slot].entry;
      directory.alive = saved[slot].alive != 0;
      directory.listed = saved[slot].listed != 0;
      directory.device = static_cast<dev_t>(saved[slot].device);
      directory.inode = static_cast<ino_t>(saved[slot].inode);
      directory.stamp = saved[slot].stamp;
    }
    out.lastWithName_.resize(out.names_.texts_.size(), kNone);
    out.live_ = 0;
    for (std::uint32_t at = 0; at < out.entries_.size(); ++at) {
      out.details_[at].detailed = false;
      if (out.entries_[at].kind == Kind::removed) continue;
      out.directories_[out.entries_[at].parent].children.push_back(at);
      ++out.live_;
    }
    return true;
  }
};

bool saveIndex(const Index& index, const SavedIndexKey& key, const std::string& path) {
  Writer out;
  SavedIndexAccess::putKey(out, key);
  SavedIndexAccess::write(out, index);
  out.put(checksum(out.bytes()));

  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  {
    const UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.valid()) return false;
    std::size_t done = 0;
    while (done < out.bytes().size()) {
      const ssize_t wrote = ::write(fd.get(), out.bytes().data() + done, out.bytes().size() - done);
      if (wrote <= 0) {
        ::unlink(temporary.c_str());
        return false;
      }
      done += static_cast<std::size_t>(wrote);
    }
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool loadIndex(const std::string& path, const SavedIndexKey& key, Index& out) {
  const MappedFile file(path);
  std::string_view data = file.data();
  if (data.size() < sizeof(std::uint64_t)) return false;
  std::uint64_t stored = 0;
  std::memcpy(&stored, data.data() + data.size() - sizeof stored, sizeof stored);
  data.remove_suffix(sizeof stored);
  if (checksum(data) != stored) return false;
  Reader in(data);
  return SavedIndexAccess::keyMatches(in, key) && SavedIndexAccess::read(in, out);
}

}  // namespace fff

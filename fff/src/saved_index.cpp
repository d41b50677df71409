#include "saved_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "fff.h"
#include "unique_fd.h"

namespace fff {
namespace {

// Raised whenever the layout below changes; with the interface version it decides whether a
// file written by another build of the library is read at all.
constexpr char kMagic[8] = {'Q', 'F', 'F', 'F', 'I', 'D', 'X', '\n'};
constexpr std::uint32_t kFormat = 3;
constexpr std::uint32_t kEndianMark = 0x01020304;
// A saved index never holds more than the index itself can.
constexpr std::uint64_t kMaxItems = kNone - 1;

// A check of the whole file against damage (a torn write, a flipped bit): eight bytes at a time,
// as it runs on every start. Not a defence against a hostile writer; the file is the user's own.
std::uint64_t checksum(std::string_view data) {
  std::uint64_t hash = 0x9e3779b97f4a7c15ull ^ data.size();
  std::size_t at = 0;
  for (; at + 8 <= data.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, data.data() + at, 8);
    hash = (hash ^ word) * 0xff51afd7ed558ccdull;
    hash ^= hash >> 32;
  }
  for (; at < data.size(); ++at)
    hash = (hash ^ static_cast<unsigned char>(data[at])) * 0x100000001b3ull;
  return hash;
}

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
  bool done() const { return at_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t at_ = 0;
};

void putKey(Writer& out, const SavedIndexKey& key) {
  out.put(kMagic);
  out.put(kFormat);
  out.put(static_cast<std::uint32_t>(FFF_OPTIONS_VERSION));
  out.put(kEndianMark);
  out.text(key.root);
  out.put(static_cast<std::uint64_t>(key.device));
  out.put(static_cast<std::uint64_t>(key.inode));
  out.put(static_cast<std::uint8_t>(key.skipHidden));
  out.put(static_cast<std::uint8_t>(key.crossFileSystems));
}

bool keyMatches(Reader& in, const SavedIndexKey& key) {
  char magic[8];
  std::uint32_t format = 0, version = 0, endian = 0;
  std::string_view root;
  std::uint64_t device = 0, inode = 0;
  std::uint8_t skipHidden = 0, crossFileSystems = 0;
  return in.get(magic) && std::memcmp(magic, kMagic, sizeof magic) == 0 && in.get(format) &&
         format == kFormat && in.get(version) && version == FFF_OPTIONS_VERSION && in.get(endian) &&
         endian == kEndianMark && in.text(root, 1 << 16) && root == key.root && in.get(device) &&
         device == static_cast<std::uint64_t>(key.device) && in.get(inode) &&
         inode == static_cast<std::uint64_t>(key.inode) && in.get(skipHidden) &&
         skipHidden == static_cast<std::uint8_t>(key.skipHidden) && in.get(crossFileSystems) &&
         crossFileSystems == static_cast<std::uint8_t>(key.crossFileSystems);
}

bool readWhole(const std::string& path, std::string& data) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat info;
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  data.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = ::read(fd.get(), data.data() + done, data.size() - done);
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

bool saveIndex(const Index& index, const SavedIndexKey& key, const std::string& path) {
  Writer out;
  putKey(out, key);
  // Every distinct name once, in id order; entries refer to them by id.
  const NameTable& names = index.names();
  out.put(static_cast<std::uint64_t>(names.size()));
  for (std::uint32_t id = 0; id < names.size(); ++id)
    out.text(names.text(id));
  // Folders are renumbered over the live ones, in slot order, which keeps parents first.
  std::vector<std::uint32_t> slotNumber(index.directories().size(), kNone);
  std::uint32_t folders = 0;
  for (std::uint32_t slot = 0; slot < index.directories().size(); ++slot)
    if (index.directory(slot).alive) slotNumber[slot] = folders++;
  out.put(static_cast<std::uint64_t>(folders));
  for (std::uint32_t slot = 0; slot < index.directories().size(); ++slot) {
    const Directory& directory = index.directory(slot);
    if (!directory.alive) continue;
    out.put(directory.stamp);
    out.put(static_cast<std::uint64_t>(directory.device));
    out.put(static_cast<std::uint64_t>(directory.inode));
    out.put(static_cast<std::uint8_t>(directory.listed));
  }
  std::uint64_t live = 0;
  for (const Entry& entry : index.entries())
    live += entry.kind != Kind::removed ? 1 : 0;
  out.put(live);
  // Entries in index order: a folder's entry comes before everything inside it.
  for (std::uint32_t at = 0; at < index.entries().size(); ++at) {
    const Entry& entry = index.entries()[at];
    if (entry.kind == Kind::removed) continue;
    out.put(slotNumber[entry.parent]);
    out.put(entry.name);
    out.put(static_cast<std::uint8_t>(entry.kind));
    out.put(static_cast<std::uint8_t>(index.details(at).symlink));
    out.put(index.details(at).size);
    out.put(index.modified(at));
  }

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
  std::string data;
  if (!readWhole(path, data) || data.size() < sizeof(std::uint64_t)) return false;
  std::uint64_t stored = 0;
  std::memcpy(&stored, data.data() + data.size() - sizeof stored, sizeof stored);
  data.resize(data.size() - sizeof stored);
  if (checksum(data) != stored) return false;
  Reader in(data);
  if (!keyMatches(in, key)) return false;

  std::uint64_t nameCount = 0;
  if (!in.get(nameCount) || nameCount > kMaxItems || nameCount > data.size()) return false;
  // Folded forms may add to the bytes; the file's size bounds the rest.
  out.reserveNames(static_cast<std::size_t>(nameCount), data.size() / 4);
  for (std::uint64_t id = 0; id < nameCount; ++id) {
    std::string_view name;
    if (!in.text(name, UINT16_MAX)) return false;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos)
      return false;
    // Names are distinct and come in id order, so each must get the next id.
    if (out.intern(name) != id) return false;
  }

  std::uint64_t folders = 0;
  if (!in.get(folders) || folders == 0 || folders > kMaxItems) return false;
  struct SavedFolder {
    std::int64_t stamp;
    std::uint64_t device;
    std::uint64_t inode;
    std::uint8_t listed;
  };
  std::vector<SavedFolder> saved(static_cast<std::size_t>(std::min<std::uint64_t>(folders, data.size())));
  if (saved.size() != folders) return false;
  for (SavedFolder& folder : saved)
    if (!in.get(folder.stamp) || !in.get(folder.device) || !in.get(folder.inode) || !in.get(folder.listed))
      return false;
  // The root's slot exists in every index; the others are made as their entries come.
  std::vector<std::uint32_t> slotOf(saved.size(), kNone);
  slotOf[0] = kRootDirectory;

  std::uint64_t entries = 0;
  if (!in.get(entries) || entries > kMaxItems || entries + 1 < folders) return false;
  out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(entries, data.size() / 26)), saved.size());
  std::uint32_t nextFolder = 1;
  Listed listed;
  listed.detailed = false;
  for (std::uint64_t k = 0; k < entries; ++k) {
    std::uint32_t parent = 0, name = 0;
    std::uint8_t kind = 0, symlink = 0;
    if (!in.get(parent) || !in.get(name) || !in.get(kind) || !in.get(symlink) || !in.get(listed.size) ||
        !in.get(listed.modified))
      return false;
    if (parent >= saved.size() || slotOf[parent] == kNone || name >= nameCount) return false;
    if (kind > static_cast<std::uint8_t>(Kind::directory) || symlink > 1) return false;
    listed.kind = static_cast<Kind>(kind);
    listed.symlink = symlink != 0;
    const std::uint32_t entry = out.addNamed(slotOf[parent], name, listed);
    if (listed.kind != Kind::directory) continue;
    // Folders come in the order they were numbered.
    if (nextFolder >= saved.size()) return false;
    const std::uint32_t slot = out.details(entry).directory;
    slotOf[nextFolder++] = slot;
  }
  if (!in.done() || nextFolder != saved.size()) return false;
  for (std::size_t k = 0; k < saved.size(); ++k) {
    Directory& directory = out.directory(slotOf[k]);
    directory.stamp = saved[k].stamp;
    directory.device = static_cast<dev_t>(saved[k].device);
    directory.inode = static_cast<ino_t>(saved[k].inode);
    directory.listed = saved[k].listed != 0;
  }
  return true;
}

}  // namespace fff

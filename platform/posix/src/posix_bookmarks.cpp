#include "quillo/platform/posix/posix_bookmarks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

namespace quillo::platform::posix {
namespace {

// "QBM1", the device and the inode as little-endian 64-bit numbers, then the path's bytes.
constexpr std::string_view kMagic = "QBM1";
constexpr std::size_t kHeader = 4 + 8 + 8;

struct Identity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

void put(std::vector<std::uint8_t>& out, std::uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint64_t take(const std::vector<std::uint8_t>& in, std::size_t at) {
  std::uint64_t value = 0;
  for (int k = 7; k >= 0; --k)
    value = (value << 8) | in[at + static_cast<std::size_t>(k)];
  return value;
}

std::optional<Identity> identity(const std::string& path, int& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = errno;
    return std::nullopt;
  }
  return Identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::vector<std::uint8_t> PosixBookmarks::create(const std::string& path) {
  if (path.empty() || path.front() != '/') throw BookmarkError("A bookmark needs an absolute path.");
  int error = 0;
  const auto found = identity(path, error);
  if (!found) throw BookmarkError("\"" + path + "\" cannot be bookmarked: " + std::strerror(error) + ".");
  std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
  put(bytes, found->device);
  put(bytes, found->inode);
  bytes.insert(bytes.end(), path.begin(), path.end());
  return bytes;
}

ResolvedBookmark PosixBookmarks::resolve(const std::vector<std::uint8_t>& bookmark) {
  if (bookmark.size() <= kHeader || !std::equal(kMagic.begin(), kMagic.end(), bookmark.begin()) ||
      bookmark[kHeader] != '/')
    throw BookmarkError("The bookmark data is damaged.");
  const Identity recorded{take(bookmark, 4), take(bookmark, 12)};
  ResolvedBookmark resolved;
  resolved.path.assign(bookmark.begin() + kHeader, bookmark.end());
  int error = 0;
  const auto now = identity(resolved.path, error);
  if (!now) throw BookmarkError("\"" + resolved.path + "\" cannot be found: " + std::strerror(error) + ".");
  resolved.isStale = now->device != recorded.device || now->inode != recorded.inode;
  return resolved;
}

bool PosixBookmarks::startAccessing(const std::string&) {
  return false;
}

void PosixBookmarks::stopAccessing(const std::string&) {}

}  // namespace quillo::platform::posix

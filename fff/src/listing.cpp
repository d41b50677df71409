#include "listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <memory>

#include "unique_fd.h"

namespace fff {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

void describe(const struct stat& info, Listed& listed) {
  listed.kind = S_ISDIR(info.st_mode) ? Kind::directory : Kind::file;
  listed.symlink = S_ISLNK(info.st_mode);
  listed.size = static_cast<std::uint64_t>(info.st_size);
  listed.modified = info.st_mtim.tv_sec;
  listed.device = info.st_dev;
  listed.inode = info.st_ino;
  listed.detailed = true;
  listed.stamp = stampOf(info.st_mtim);
}

}  // namespace

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool readInFull(int folder, const char* name, Listed& listed) {
  struct stat info;
  if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) return false;
  describe(info, listed);
  return true;
}

bool readOpenFolder(int fd, Listed& listed) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return false;
  describe(info, listed);
  return true;
}

Listing listDirectory(const std::string& path, const ListingOptions& options) {
  Listing listing;
  const int fd = ::open(path.c_str(), kFolderOpenFlags);
  if (fd < 0) {
    listing.error = errno;
    return listing;
  }
  struct stat self;
  if (::fstat(fd, &self) == 0) listing.stamp = stampOf(self.st_mtim);
  std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
  if (!dir) {
    listing.error = errno;
    ::close(fd);
    return listing;
  }
  std::vector<Listed>& children = listing.children;
  while (const dirent* child = ::readdir(dir.get())) {
    if (isDotOrDotDot(child->d_name)) continue;
    if (options.skipHidden && child->d_name[0] == '.') continue;
    struct stat info;
    if (::fstatat(fd, child->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    Listed& listed = children.emplace_back();
    listed.name = child->d_name;
    describe(info, listed);
  }
  return listing;
}

Listing listNames(const std::string& path, const ListingOptions& options) {
  Listing listing;
  const UniqueFd fd(::open(path.c_str(), kFolderOpenFlags));
  if (!fd.valid()) {
    listing.error = errno;
    return listing;
  }
  alignas(LinuxDirent64) std::byte buffer[kDirentBuffer];
  for (;;) {
    const long read = ::syscall(SYS_getdents64, fd.get(), buffer, sizeof buffer);
    if (read < 0) {
      listing.error = errno;
      return listing;
    }
    if (read == 0) break;
    for (long at = 0; at < read;) {
      const auto* child = reinterpret_cast<const LinuxDirent64*>(buffer + at);
      at += child->d_reclen;
      const char* name = reinterpret_cast<const char*>(child) + kNameOffset;
      if (isDotOrDotDot(name)) continue;
      if (options.skipHidden && name[0] == '.') continue;
      Listed listed;
      if (child->d_type == DT_DIR || child->d_type == DT_UNKNOWN) {
        if (!readInFull(fd.get(), name, listed)) continue;
      } else {
        listed.kind = Kind::file;
        listed.symlink = child->d_type == DT_LNK;
        listed.inode = child->d_ino;
        listed.detailed = false;
      }
      listed.name = name;
      listing.children.push_back(std::move(listed));
    }
  }
  return listing;
}

}  // namespace fff

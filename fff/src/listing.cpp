#include "listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace fff {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

Listing listDirectory(const std::string& path, const ListingOptions& options) {
  Listing listing;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    listing.error = errno;
    return listing;
  }
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
    listed.kind = S_ISDIR(info.st_mode) ? Kind::directory : Kind::file;
    listed.symlink = S_ISLNK(info.st_mode);
    listed.size = static_cast<std::uint64_t>(info.st_size);
    listed.modified = info.st_mtim.tv_sec;
    listed.device = info.st_dev;
    listed.inode = info.st_ino;
  }
  return listing;
}

}  // namespace fff

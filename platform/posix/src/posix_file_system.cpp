#include "quillo/platform/posix/posix_file_system.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quillo::platform::posix {
namespace {

namespace fs = std::filesystem;

// Closes a file descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const noexcept { return fd_; }
  int release() noexcept { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

[[noreturn]] void fail(const fs::path& path, std::string_view what, int error) {
  throw FileSystemError(fmt::format("{} {}: {}", path.string(), what, std::strerror(error)));
}

FileKind kindOf(unsigned mode) {
  if (S_ISREG(mode)) return FileKind::file;
  if (S_ISDIR(mode)) return FileKind::folder;
  if (S_ISLNK(mode)) return FileKind::symlink;
  return FileKind::other;
}

base::Date dateOf(const statx_timestamp& time) {
  return {static_cast<double>(time.tv_sec) + time.tv_nsec / 1e9};
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Makes the missing folders above `path` with exactly `mode`: mkdir alone would apply the umask.
void makeFolders(const fs::path& folder, unsigned mode) {
  if (folder.empty()) return;
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (!S_ISDIR(info.st_mode)) fail(folder, "cannot hold files", ENOTDIR);
    return;
  }
  if (errno != ENOENT) fail(folder, "cannot be looked at", errno);
  if (folder.has_parent_path() && folder.parent_path() != folder) makeFolders(folder.parent_path(), mode);
  if (::mkdir(folder.c_str(), mode) != 0) {
    if (errno == EEXIST) return;  // made by another process meanwhile
    fail(folder, "cannot be made", errno);
  }
  if (::chmod(folder.c_str(), mode) != 0) fail(folder, "cannot be made private", errno);
}

class PosixLock final : public FileLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}

 private:
  Descriptor fd_;  // closing the descriptor releases the lock
};

// An exclusive or shared flock on the lock file, made with its folders when missing.
std::unique_ptr<FileLock> takeLock(const fs::path& path, const ReplaceOptions& options, int operation) {
  makeFolders(path.parent_path(), options.folderMode);
  Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, options.fileMode));
  if (fd.get() < 0) fail(path, "cannot be locked", errno);
  while (::flock(fd.get(), operation) != 0) {
    if (errno != EINTR) fail(path, "cannot be locked", errno);
  }
  return std::make_unique<PosixLock>(fd.release());
}

class PosixLibrary final : public SharedLibrary {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override { ::dlclose(handle_); }
  PosixLibrary(const PosixLibrary&) = delete;
  PosixLibrary& operator=(const PosixLibrary&) = delete;
  void* symbol(const char* name) const override { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

std::optional<FileStatus> PosixFileSystem::status(const fs::path& path, bool followLinks) const {
  struct statx info {};
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (::statx(AT_FDCWD, path.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    fail(path, "cannot be looked at", errno);
  }
  FileStatus status;
  status.kind = kindOf(info.stx_mode);
  status.size = info.stx_size;
  status.permissions = info.stx_mode & 07777u;
  if (info.stx_mask & STATX_MTIME) status.modified = dateOf(info.stx_mtime);
  if (info.stx_mask & STATX_BTIME) status.created = dateOf(info.stx_btime);
  return status;
}

fs::path PosixFileSystem::resolved(const fs::path& path) const {
  std::error_code error;
  fs::path found = fs::weakly_canonical(path, error);
  return error ? path : found;
}

bool PosixFileSystem::canAccess(const fs::path& path, Access access) const {
  int mode = F_OK;
  switch (access) {
    case Access::exists:
      mode = F_OK;
      break;
    case Access::read:
      mode = R_OK;
      break;
    case Access::write:
      mode = W_OK;
      break;
    case Access::execute:
      mode = X_OK;
      break;
  }
  return ::access(path.c_str(), mode) == 0;
}

std::vector<DirectoryEntry> PosixFileSystem::list(const fs::path& folder) const {
  const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), ::closedir);
  if (!directory) fail(folder, "cannot be listed", errno);
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = ::readdir(directory.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    FileKind kind = FileKind::other;
    switch (entry->d_type) {
      case DT_REG:
        kind = FileKind::file;
        break;
      case DT_DIR:
        kind = FileKind::folder;
        break;
      case DT_LNK:
        kind = FileKind::symlink;
        break;
      case DT_UNKNOWN:
        if (auto found = status(folder / name, false)) kind = found->kind;
        break;
      default:
        break;
    }
    entries.push_back({std::string(name), kind});
  }
  return entries;
}

std::optional<std::string> PosixFileSystem::readFile(const fs::path& path, std::size_t limit) const {
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    fail(path, "cannot be read", errno);
  }
  std::string bytes;
  char buffer[65536];
  while (true) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      fail(path, "cannot be read", errno);
    }
    if (count == 0) break;
    if (bytes.size() + static_cast<std::size_t>(count) > limit)
      throw FileSystemError(fmt::format("{} is larger than {} bytes", path.string(), limit));
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  return bytes;
}

void PosixFileSystem::replaceFile(const fs::path& path, std::string_view bytes,
                                  const ReplaceOptions& options) {
  const fs::path folder = path.parent_path();
  makeFolders(folder, options.folderMode);
  std::string temporary = path.string() + ".tmp-XXXXXX";
  Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) fail(path, "cannot be written", errno);
  const auto discard = [&] { ::unlink(temporary.c_str()); };
  if (::fchmod(fd.get(), options.fileMode) != 0 || !writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 ||
      ::close(fd.release()) != 0) {
    const int error = errno;
    discard();
    fail(path, "cannot be written", error);
  }
  try {
    if (options_.beforeReplace) options_.beforeReplace();
  } catch (...) {
    discard();
    throw;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    discard();
    fail(path, "cannot be replaced", error);
  }
  // The rename is durable once the folder's entry is on disk too.
  const Descriptor directory(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
}

bool PosixFileSystem::moveWithoutReplacing(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  fail(from, "cannot be moved", errno);
}

bool PosixFileSystem::removeFile(const fs::path& path) {
  if (::unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  fail(path, "cannot be removed", errno);
}

std::unique_ptr<FileLock> PosixFileSystem::lock(const fs::path& path, const ReplaceOptions& options) {
  return takeLock(path, options, LOCK_EX);
}

std::unique_ptr<FileLock> PosixFileSystem::lockShared(const fs::path& path, const ReplaceOptions& options) {
  return takeLock(path, options, LOCK_SH);
}

bool PosixFileSystem::lockedElsewhere(const fs::path& path) const {
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  // Taken at once when nobody holds it, and let go with the descriptor.
  return ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

std::unique_ptr<SharedLibrary> PosixFileSystem::loadLibrary(const fs::path& path) {
  // Never unloaded: a library keeps process-wide state (the file index's registry of live
  // instances), which unloading and loading again would lose and start afresh each time.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* message = ::dlerror();
    throw FileSystemError(message ? message : path.string() + " could not be loaded");
  }
  return std::make_unique<PosixLibrary>(handle);
}

}  // namespace quillo::platform::posix

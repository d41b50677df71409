#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/date.h"

namespace quillo::platform {

// A file or folder could not be read, listed, written or loaded; what() names it and says why.
class FileSystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FileKind { file, folder, symlink, other };

struct FileStatus {
  FileKind kind = FileKind::other;
  std::uint64_t size = 0;
  std::optional<base::Date> modified;
  // When the file was made, where the file system records it.
  std::optional<base::Date> created;
  unsigned permissions = 0;  // the mode's 07777 bits

  bool operator==(const FileStatus&) const = default;
};

struct DirectoryEntry {
  std::string name;
  FileKind kind = FileKind::other;  // of the entry itself: a link is a symlink

  bool operator==(const DirectoryEntry&) const = default;
};

enum class Access { exists, read, write, execute };

// Options of replaceFile.
struct ReplaceOptions {
  unsigned fileMode = 0600;
  // Missing folders above the file are made with exactly this mode, whatever the umask.
  unsigned folderMode = 0700;
};

// Held while alive; released on destruction.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// A shared library loaded into the process, unloaded on destruction.
class SharedLibrary {
 public:
  virtual ~SharedLibrary() = default;
  // The address of a symbol; null when the library has none of that name.
  virtual void* symbol(const char* name) const = 0;
};

// Files, folders and libraries on the local disk. Implementations are safe for concurrent use.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // None when nothing is at the path (or a folder on the way is missing); throws FileSystemError
  // when the path cannot be looked at. `followLinks` false describes a link itself.
  virtual std::optional<FileStatus> status(const std::filesystem::path& path,
                                           bool followLinks = true) const = 0;
  // The absolute path with symbolic links resolved as far as the path exists ("." and ".." gone);
  // the path unchanged when it cannot be resolved.
  virtual std::filesystem::path resolved(const std::filesystem::path& path) const = 0;
  // Whether this process may do that to the path.
  virtual bool canAccess(const std::filesystem::path& path, Access access) const = 0;
  // The folder's entries without "." and "..", in no particular order. Throws FileSystemError.
  virtual std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const = 0;
  // The whole file; none when it does not exist. Throws FileSystemError when it cannot be read or
  // is larger than `limit` bytes.
  virtual std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit) const = 0;
  // Writes the bytes to a new file next to `path`, flushes it and renames it over `path`, so a crash
  // leaves the old file or the new one, never a mix. Throws FileSystemError and leaves nothing behind.
  virtual void replaceFile(const std::filesystem::path& path, std::string_view bytes,
                           const ReplaceOptions& options = {}) = 0;
  // Renames `from` to `to` unless something is already at `to`: false then, and nothing moved.
  // Throws FileSystemError on other failures.
  virtual bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Removes the file (or link) at `path`: false when nothing was there. Throws FileSystemError.
  virtual bool removeFile(const std::filesystem::path& path) = 0;
  // Waits for and takes an exclusive lock shared with other processes on the lock file at `path`
  // (made, with its folders as replaceFile makes them, when missing). Throws FileSystemError.
  virtual std::unique_ptr<FileLock> lock(const std::filesystem::path& path,
                                         const ReplaceOptions& options = {}) = 0;
  // The same lock, shared: other shared holders go on holding it; an exclusive lock waits for
  // them all. Throws FileSystemError.
  virtual std::unique_ptr<FileLock> lockShared(const std::filesystem::path& path,
                                               const ReplaceOptions& options = {}) = 0;
  // Whether some holder (another process, or this one through another lock) has the lock file at
  // `path` locked now; false when there is no such file or it cannot be read. Never waits.
  virtual bool lockedElsewhere(const std::filesystem::path& path) const = 0;
  // Throws FileSystemError with the loader's message.
  virtual std::unique_ptr<SharedLibrary> loadLibrary(const std::filesystem::path& path) = 0;
};

}  // namespace quillo::platform

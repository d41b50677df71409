#pragma once

#include <functional>

#include "quillo/platform/file_system.h"

namespace quillo::platform::posix {

// The local disk through POSIX and Linux calls: statx for birth times, flock for locks, dlopen for
// libraries, renameat2 for moves that never replace.
class PosixFileSystem final : public FileSystem {
 public:
  struct Options {
    // Runs in replaceFile after the new file is written and flushed, before it replaces the old
    // one. Tests use it to stop the process at the worst moment.
    std::function<void()> beforeReplace;
  };

  PosixFileSystem() = default;
  explicit PosixFileSystem(Options options) : options_(std::move(options)) {}

  std::optional<FileStatus> status(const std::filesystem::path& path, bool followLinks = true) const override;
  std::filesystem::path resolved(const std::filesystem::path& path) const override;
  bool canAccess(const std::filesystem::path& path, Access access) const override;
  std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const override;
  std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit) const override;
  void replaceFile(const std::filesystem::path& path, std::string_view bytes,
                   const ReplaceOptions& options = {}) override;
  bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool removeFile(const std::filesystem::path& path) override;
  std::unique_ptr<FileLock> lock(const std::filesystem::path& path,
                                 const ReplaceOptions& options = {}) override;
  std::unique_ptr<FileLock> lockShared(const std::filesystem::path& path,
                                       const ReplaceOptions& options = {}) override;
  bool lockedElsewhere(const std::filesystem::path& path) const override;
  std::unique_ptr<SharedLibrary> loadLibrary(const std::filesystem::path& path) override;

 private:
  Options options_;
};

}  // namespace quillo::platform::posix

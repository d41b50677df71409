#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "quillo/platform/file_system.h"

namespace quillo::testing {

// A FileSystem held in memory, with faults the test sets: files that cannot be read, writes that
// fail. Folders exist when named in `folders` or implied by a file below them. Not thread-safe.
class FakeFileSystem final : public platform::FileSystem {
 public:
  std::map<std::filesystem::path, std::string> files;
  std::set<std::filesystem::path> folders;
  // Paths whose reading, listing or looking at fails as a denied permission does.
  std::set<std::filesystem::path> unreadable;
  // When set, every replaceFile and lock fails with this reason and changes nothing.
  std::optional<std::string> writeFailure;
  // Libraries loadLibrary finds, by path: their symbols by name.
  std::map<std::filesystem::path, std::map<std::string, void*, std::less<>>> libraries;
  // Counts of the calls that change something, for tests that check nothing was written.
  int replaceCount = 0;
  int moveCount = 0;
  int removeCount = 0;

  std::optional<platform::FileStatus> status(const std::filesystem::path& path,
                                             bool followLinks = true) const override;
  // The path without "." and ".."; the fake has no links.
  std::filesystem::path resolved(const std::filesystem::path& path) const override;
  bool canAccess(const std::filesystem::path& path, platform::Access access) const override;
  std::vector<platform::DirectoryEntry> list(const std::filesystem::path& folder) const override;
  std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit) const override;
  void replaceFile(const std::filesystem::path& path, std::string_view bytes,
                   const platform::ReplaceOptions& options = {}) override;
  bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool removeFile(const std::filesystem::path& path) override;
  std::unique_ptr<platform::FileLock> lock(const std::filesystem::path& path,
                                           const platform::ReplaceOptions& options = {}) override;
  std::unique_ptr<platform::FileLock> lockShared(const std::filesystem::path& path,
                                                 const platform::ReplaceOptions& options = {}) override;
  bool lockedElsewhere(const std::filesystem::path& path) const override;
  std::unique_ptr<platform::SharedLibrary> loadLibrary(const std::filesystem::path& path) override;

 private:
  std::unique_ptr<platform::FileLock> hold(const std::filesystem::path& path);
  bool isFolder(const std::filesystem::path& path) const;
  void checkReadable(const std::filesystem::path& path) const;

  // The locks handed out and still alive, by path (shared or not: the fake never waits). Shared
  // with them, so that a lock may outlive the file system.
  std::shared_ptr<std::map<std::filesystem::path, int>> heldLocks_ =
      std::make_shared<std::map<std::filesystem::path, int>>();
};

}  // namespace quillo::testing

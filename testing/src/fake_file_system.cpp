#include "quillo/testing/fake_file_system.h"

#include <algorithm>

namespace quillo::testing {
namespace {

namespace fs = std::filesystem;

bool isBelow(const fs::path& path, const fs::path& folder) {
  const auto [end, unused] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return end == folder.end() && path != folder;
}

platform::FileStatus statusOf(platform::FileKind kind, std::uint64_t size, unsigned permissions) {
  platform::FileStatus status;
  status.kind = kind;
  status.size = size;
  status.permissions = permissions;
  return status;
}

class FakeLock final : public platform::FileLock {
 public:
  FakeLock(std::shared_ptr<std::map<fs::path, int>> held, fs::path path)
      : held_(std::move(held)), path_(std::move(path)) {
    ++(*held_)[path_];
  }
  ~FakeLock() override {
    if (--(*held_)[path_] == 0) held_->erase(path_);
  }
  FakeLock(const FakeLock&) = delete;
  FakeLock& operator=(const FakeLock&) = delete;

 private:
  std::shared_ptr<std::map<fs::path, int>> held_;
  fs::path path_;
};

class FakeLibrary final : public platform::SharedLibrary {
 public:
  explicit FakeLibrary(std::map<std::string, void*, std::less<>> symbols) : symbols_(std::move(symbols)) {}
  void* symbol(const char* name) const override {
    const auto found = symbols_.find(std::string_view(name));
    return found == symbols_.end() ? nullptr : found->second;
  }

 private:
  std::map<std::string, void*, std::less<>> symbols_;
};

}  // namespace

bool FakeFileSystem::isFolder(const fs::path& path) const {
  if (folders.contains(path)) return true;
  for (const auto& [file, bytes] : files) {
    if (isBelow(file, path)) return true;
  }
  for (const fs::path& folder : folders) {
    if (isBelow(folder, path)) return true;
  }
  return false;
}

void FakeFileSystem::checkReadable(const fs::path& path) const {
  if (unreadable.contains(path))
    throw platform::FileSystemError(path.string() + " cannot be read: Permission denied");
}

std::optional<platform::FileStatus> FakeFileSystem::status(const fs::path& path, bool) const {
  checkReadable(path);
  if (const auto found = files.find(path); found != files.end())
    return statusOf(platform::FileKind::file, found->second.size(), 0600);
  if (isFolder(path)) return statusOf(platform::FileKind::folder, 0, 0700);
  return std::nullopt;
}

fs::path FakeFileSystem::resolved(const fs::path& path) const {
  return path.lexically_normal();
}

bool FakeFileSystem::canAccess(const fs::path& path, platform::Access access) const {
  if (!files.contains(path) && !isFolder(path)) return false;
  return access == platform::Access::exists || !unreadable.contains(path);
}

std::vector<platform::DirectoryEntry> FakeFileSystem::list(const fs::path& folder) const {
  checkReadable(folder);
  if (!isFolder(folder))
    throw platform::FileSystemError(folder.string() + " cannot be listed: No such file or directory");
  std::map<std::string, platform::FileKind> children;
  const auto add = [&](const fs::path& path, platform::FileKind kind) {
    if (!isBelow(path, folder)) return;
    const fs::path relative = path.lexically_relative(folder);
    const std::string name = relative.begin()->string();
    children.emplace(name, std::next(relative.begin()) == relative.end() ? kind : platform::FileKind::folder);
  };
  for (const auto& [file, bytes] : files)
    add(file, platform::FileKind::file);
  for (const fs::path& path : folders)
    add(path, platform::FileKind::folder);
  std::vector<platform::DirectoryEntry> entries;
  for (const auto& [name, kind] : children)
    entries.push_back({name, kind});
  return entries;
}

std::optional<std::string> FakeFileSystem::readFile(const fs::path& path, std::size_t limit) const {
  checkReadable(path);
  const auto found = files.find(path);
  if (found == files.end()) return std::nullopt;
  if (found->second.size() > limit)
    throw platform::FileSystemError(path.string() + " is larger than " + std::to_string(limit) + " bytes");
  return found->second;
}

void FakeFileSystem::replaceFile(const fs::path& path, std::string_view bytes,
                                 const platform::ReplaceOptions&) {
  if (writeFailure) throw platform::FileSystemError(path.string() + " cannot be written: " + *writeFailure);
  ++replaceCount;
  files.insert_or_assign(path, std::string(bytes));
}

bool FakeFileSystem::moveWithoutReplacing(const fs::path& from, const fs::path& to) {
  if (files.contains(to) || isFolder(to)) return false;
  const auto found = files.find(from);
  if (found == files.end())
    throw platform::FileSystemError(from.string() + " cannot be moved: No such file or directory");
  ++moveCount;
  files.emplace(to, std::move(found->second));
  files.erase(found);
  return true;
}

bool FakeFileSystem::removeFile(const fs::path& path) {
  if (writeFailure) throw platform::FileSystemError(path.string() + " cannot be removed: " + *writeFailure);
  if (files.erase(path) == 0) return false;
  ++removeCount;
  return true;
}

std::unique_ptr<platform::FileLock> FakeFileSystem::lock(const fs::path& path,
                                                         const platform::ReplaceOptions&) {
  return hold(path);
}

std::unique_ptr<platform::FileLock> FakeFileSystem::lockShared(const fs::path& path,
                                                               const platform::ReplaceOptions&) {
  return hold(path);
}

std::unique_ptr<platform::FileLock> FakeFileSystem::hold(const fs::path& path) {
  if (writeFailure) throw platform::FileSystemError(path.string() + " cannot be locked: " + *writeFailure);
  return std::make_unique<FakeLock>(heldLocks_, path);
}

bool FakeFileSystem::lockedElsewhere(const fs::path& path) const {
  return heldLocks_->contains(path);
}

std::unique_ptr<platform::SharedLibrary> FakeFileSystem::loadLibrary(const fs::path& path) {
  const auto found = libraries.find(path);
  if (found == libraries.end())
    throw platform::FileSystemError(path.string() +
                                    ": cannot open shared object file: No such file or directory");
  return std::make_unique<FakeLibrary>(found->second);
}

}  // namespace quillo::testing

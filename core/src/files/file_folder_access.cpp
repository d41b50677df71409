#include "quillo/core/files/file_folder_access.h"

#include <filesystem>

#include "quillo/core/preferences/defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"

namespace quillo::core {
namespace {

const char* message(FileFolderAccess::AccessError::Case which) {
  using Case = FileFolderAccess::AccessError::Case;
  switch (which) {
    case Case::chooseSubfolder:
      return "Choose individual folders inside your home folder or disk, rather than the entire home folder "
             "or disk.";
    case Case::notDirectory:
      return "This location is no longer a folder. Choose it again or remove it.";
    case Case::unavailable:
      return "This folder is unavailable or cannot be read. Choose it again or remove it.";
    case Case::invalidText:
      return "Quillo can only search folders whose path is valid text.";
  }
  return "";
}

// The path in standard form with symbolic links resolved as far as they exist.
std::string resolvedPath(const platform::FileSystem& files, const std::string& path) {
  return standardisedPath(files.resolved(path).string());
}

}  // namespace

FileFolderAccess::AccessError::AccessError(Case which) : std::runtime_error(message(which)), which_(which) {}

std::vector<std::uint8_t> FileFolderAccess::bookmark(platform::Bookmarks& bookmarks,
                                                     const base::Url& folder) {
  const auto path = folder.filePath();
  if (!path) throw platform::BookmarkError("Only folders on this computer can be bookmarked.");
  return bookmarks.create(standardisedPath(*path));
}

void FileFolderAccess::validateSelection(const platform::FileSystem& files, const base::Url& folder,
                                         const std::string& homeFolder) {
  const auto path = folder.filePath();
  if (!path) throw AccessError(AccessError::Case::chooseSubfolder);
  if (!isStorableText(*path)) throw AccessError(AccessError::Case::invalidText);
  const std::string resolved = resolvedPath(files, *path);
  if (resolved == "/" || resolved == resolvedPath(files, homeFolder))
    throw AccessError(AccessError::Case::chooseSubfolder);
  std::optional<platform::FileStatus> status;
  try {
    status = files.status(resolved);
  } catch (const platform::FileSystemError& error) {
    throw ReadError(std::string(error.what()) + ".");
  }
  if (!status || status->kind != platform::FileKind::folder)
    throw AccessError(AccessError::Case::notDirectory);
}

FileFolderAccess::FileFolderAccess(const std::vector<std::uint8_t>& bookmark, platform::Bookmarks& bookmarks,
                                   const platform::FileSystem& files, const std::string& homeFolder)
    : bookmarks_(bookmarks) {
  // A stored folder that is gone or cannot be read is reported in the access error's own words,
  // not in the platform's.
  const platform::ResolvedBookmark resolved = [&] {
    try {
      return bookmarks.resolve(bookmark);
    } catch (const platform::BookmarkError&) {
      throw AccessError(AccessError::Case::unavailable);
    }
  }();
  url_ = base::Url::file(resolved.path);
  hasSecurityScope_ = bookmarks.startAccessing(resolved.path);
  try {
    try {
      validateSelection(files, url_, homeFolder);
    } catch (const ReadError&) {
      throw AccessError(AccessError::Case::unavailable);
    }
    if (!files.canAccess(resolved.path, platform::Access::read) ||
        !files.canAccess(resolved.path, platform::Access::execute))
      throw AccessError(AccessError::Case::unavailable);
    if (resolved.isStale) refreshedBookmark_ = bookmarks.create(resolved.path);
  } catch (...) {
    if (hasSecurityScope_) bookmarks.stopAccessing(resolved.path);
    throw;
  }
}

FileFolderAccess::~FileFolderAccess() {
  if (hasSecurityScope_) bookmarks_.stopAccessing(path());
}

}  // namespace quillo::core

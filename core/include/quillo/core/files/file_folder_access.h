#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/platform/bookmarks.h"
#include "quillo/platform/file_system.h"

namespace quillo::core {

// Keeps one chosen search folder reachable: resolves its stored bookmark, checks the folder is
// still a readable folder, and holds its access scope open for as long as it lives.
class FileFolderAccess {
 public:
  // Why a folder cannot be searched; what() is the message shown for that folder.
  class AccessError : public std::runtime_error {
   public:
    enum class Case { chooseSubfolder, notDirectory, unavailable, invalidText };
    explicit AccessError(Case which);
    Case which() const { return which_; }

   private:
    Case which_;
  };

  // The folder's kind could not be read at all (it is gone, or a parent is unreadable).
  class ReadError : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
  };

  // A read-only bookmark of a folder the user has just chosen. Throws platform::BookmarkError.
  static std::vector<std::uint8_t> bookmark(platform::Bookmarks& bookmarks, const base::Url& folder);

  // Refuses a path that is not valid text (it could not be stored and read back the same), the
  // disk, the home folder and anything but a folder. Throws AccessError or ReadError.
  static void validateSelection(const platform::FileSystem& files, const base::Url& folder,
                                const std::string& homeFolder);

  // Resolves stored bookmark bytes. Throws AccessError (unavailable when the bookmark leads nowhere
  // or the folder cannot be read), or platform::BookmarkError when a stale one cannot be made again.
  FileFolderAccess(const std::vector<std::uint8_t>& bookmark, platform::Bookmarks& bookmarks,
                   const platform::FileSystem& files, const std::string& homeFolder);
  ~FileFolderAccess();
  FileFolderAccess(const FileFolderAccess&) = delete;
  FileFolderAccess& operator=(const FileFolderAccess&) = delete;

  const base::Url& url() const { return url_; }
  std::string path() const { return url_.filePath().value_or(std::string()); }
  // A new bookmark made because the stored one was stale; the caller stores it instead.
  const std::optional<std::vector<std::uint8_t>>& refreshedBookmark() const { return refreshedBookmark_; }
  bool hasSecurityScope() const { return hasSecurityScope_; }

 private:
  platform::Bookmarks& bookmarks_;
  base::Url url_;
  std::optional<std::vector<std::uint8_t>> refreshedBookmark_;
  bool hasSecurityScope_ = false;
};

}  // namespace quillo::core

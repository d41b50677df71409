#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/core/preferences/defaults_store.h"
#include "quillo/core/preferences/launcher_shortcut.h"
#include "quillo/platform/bookmarks.h"
#include "quillo/platform/file_system.h"

namespace quillo::core {

// Which scope the launcher opens in.
enum class OpeningScope { frontApp, mac, lastUsed };
std::string_view rawValue(OpeningScope scope);
std::optional<OpeningScope> openingScopeFromRaw(std::string_view raw);

// The user's settings for the launcher, read from the defaults store once and written through on
// every change (observers of the store hear of it). Not thread-safe: it belongs to the main thread.
class QuilloPreferences {
 public:
  // The launcher's search scope.
  enum class Scope { menus, commands, files };

  explicit QuilloPreferences(DefaultsStore& defaults);

  const LauncherShortcut& launcherShortcut() const { return launcherShortcut_; }
  void setLauncherShortcut(LauncherShortcut shortcut);
  const LauncherShortcut& clipboardShortcut() const { return clipboardShortcut_; }
  void setClipboardShortcut(LauncherShortcut shortcut);
  OpeningScope openingScope() const { return openingScope_; }
  void setOpeningScope(OpeningScope scope);

  // "Remember what I run": count runs and let the counts lift ranking.
  bool learnFromUsage() const { return learnFromUsage_; }
  void setLearnFromUsage(bool on);
  // Read the front application's menus ahead of need.
  bool prefetchMenus() const { return prefetchMenus_; }
  void setPrefetchMenus(bool on);
  bool showResultShortcuts() const { return showResultShortcuts_; }
  void setShowResultShortcuts(bool on);
  // "Hide what your menus list": menu commands that name the user's data stay on this Mac.
  // The user let Quillo write its shortcuts into the desktop's own keyboard settings, where the
  // desktop grabs no keys for programs.
  bool desktopShortcutsAllowed() const { return desktopShortcutsAllowed_; }
  void setDesktopShortcutsAllowed(bool allowed);

  bool hideMenuData() const { return hideMenuData_; }
  void setHideMenuData(bool on);
  // "Find files with Ravo": file searches may be read by the ranking service.
  bool searchFilesWithRavo() const { return searchFilesWithRavo_; }
  void setSearchFilesWithRavo(bool on);

  const std::vector<std::string>& fileSearchPaths() const { return fileSearchPaths_; }
  // Also drops the bookmarks of folders no longer listed, and an empty list is never set up.
  void setFileSearchPaths(std::vector<std::string> paths);
  bool fileSearchSetupCompleted() const { return fileSearchSetupCompleted_; }
  void setFileSearchSetupCompleted(bool completed);
  const std::map<std::string, DefaultsValue::Data>& fileSearchBookmarks() const {
    return fileSearchBookmarks_;
  }
  void setFileSearchBookmarks(std::map<std::string, DefaultsValue::Data> bookmarks);

  // Adds the folders of file URLs, by standardised path, each once; other URLs are skipped.
  void addFileSearchFolders(const std::vector<base::Url>& urls);
  // Folders the user picked: each validated and bookmarked before any is stored, then listed
  // (in the place of `replacing` when given, else appended) with their bookmarks, and the setup
  // counts as done. Throws FileFolderAccess's errors or platform::BookmarkError, changing nothing.
  void authorizeFileSearchFolders(const std::vector<base::Url>& urls,
                                  const std::optional<std::string>& replacing, platform::Bookmarks& bookmarks,
                                  const platform::FileSystem& files, const std::string& homeFolder);
  // Stores a fresh bookmark for a listed folder whose old one went stale, under the folder's
  // new path when it moved.
  void refreshFileSearchBookmark(const std::string& path, const base::Url& url, DefaultsValue::Data data);

  // The scope to open in; `targetAppAvailable` says whether a front application's menus can be searched.
  Scope scopeOnOpen(bool targetAppAvailable) const;
  void rememberScope(Scope scope);

 private:
  DefaultsStore& defaults_;
  LauncherShortcut launcherShortcut_;
  LauncherShortcut clipboardShortcut_;
  OpeningScope openingScope_;
  bool learnFromUsage_;
  bool prefetchMenus_;
  bool showResultShortcuts_;
  bool desktopShortcutsAllowed_;
  bool hideMenuData_;
  bool searchFilesWithRavo_;
  std::vector<std::string> fileSearchPaths_;
  bool fileSearchSetupCompleted_;
  std::map<std::string, DefaultsValue::Data> fileSearchBookmarks_;
};

std::string_view rawValue(QuilloPreferences::Scope scope);
std::optional<QuilloPreferences::Scope> scopeFromRaw(std::string_view raw);

// A path as the folder list keeps it: absolute, lexically normal, without a trailing slash.
std::string standardisedPath(std::string_view path);

}  // namespace quillo::core

#include "quillo/core/preferences/quillo_preferences.h"

#include <algorithm>
#include <filesystem>

#include "quillo/base/enum_names.h"
#include "quillo/core/files/file_folder_access.h"
#include "quillo/core/preferences/preference_keys.h"

namespace quillo::core {
namespace {

namespace Keys = PreferenceKeys;

constexpr base::EnumNames<OpeningScope, 3> kOpeningScopes({{
    {OpeningScope::frontApp, "frontApp"},
    {OpeningScope::mac, "mac"},
    {OpeningScope::lastUsed, "lastUsed"},
}});

constexpr base::EnumNames<QuilloPreferences::Scope, 3> kScopes({{
    {QuilloPreferences::Scope::menus, "menus"},
    {QuilloPreferences::Scope::commands, "commands"},
    {QuilloPreferences::Scope::files, "files"},
}});

LauncherShortcut readShortcut(const DefaultsStore& defaults, std::string_view key,
                              LauncherShortcut fallback) {
  const auto value = defaults.value(key);
  if (!value) return fallback;
  return LauncherShortcut::fromDefaults(*value).value_or(fallback);
}

// Only a stored Boolean overrides the default: "no" as a string is not false.
bool readSwitch(const DefaultsStore& defaults, std::string_view key, bool fallback) {
  const auto value = defaults.value(key);
  if (!value) return fallback;
  return value->boolean().value_or(fallback);
}

std::vector<std::string> pathsIn(const std::optional<DefaultsValue>& value) {
  std::vector<std::string> paths;
  if (!value || value->array() == nullptr) return paths;
  for (const DefaultsValue& item : *value->array()) {
    if (const std::string* path = item.string()) paths.push_back(*path);
  }
  return paths;
}

std::vector<std::string> readPaths(const DefaultsStore& defaults) {
  return pathsIn(defaults.value(Keys::fileSearchPaths));
}

std::map<std::string, DefaultsValue::Data> bookmarksIn(const std::optional<DefaultsValue>& value) {
  std::map<std::string, DefaultsValue::Data> bookmarks;
  if (!value || value->dictionary() == nullptr) return bookmarks;
  for (const auto& [path, item] : *value->dictionary()) {
    // A dictionary that holds anything but data is not a bookmark table.
    if (item.data() == nullptr) return {};
    bookmarks.emplace(path, *item.data());
  }
  return bookmarks;
}

std::map<std::string, DefaultsValue::Data> readBookmarks(const DefaultsStore& defaults) {
  return bookmarksIn(defaults.value(Keys::fileSearchBookmarks));
}

bool contains(const std::vector<std::string>& paths, const std::string& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

// This process's change of the folder list (from `before` to `after`) applied to the newest stored
// list: folders another process added since stay, folders it removed stay removed.
std::vector<std::string> withChange(const std::vector<std::string>& before,
                                    const std::vector<std::string>& after,
                                    const std::vector<std::string>& stored) {
  std::vector<std::string> merged;
  for (const std::string& path : after)
    if (!contains(before, path) || contains(stored, path)) merged.push_back(path);
  for (const std::string& path : stored)
    if (!contains(before, path) && !contains(merged, path)) merged.push_back(path);
  return merged;
}

std::map<std::string, DefaultsValue::Data> withChange(
    const std::map<std::string, DefaultsValue::Data>& before,
    const std::map<std::string, DefaultsValue::Data>& after,
    std::map<std::string, DefaultsValue::Data> stored) {
  for (const auto& [path, data] : before)
    if (!after.contains(path)) stored.erase(path);
  for (const auto& [path, data] : after) {
    const auto old = before.find(path);
    if (old == before.end() || old->second != data) stored[path] = data;
  }
  return stored;
}

DefaultsValue pathsValue(const std::vector<std::string>& paths) {
  DefaultsValue::Array array;
  for (const std::string& path : paths)
    array.emplace_back(path);
  return array;
}

DefaultsValue bookmarksValue(const std::map<std::string, DefaultsValue::Data>& bookmarks) {
  DefaultsValue::Dictionary dictionary;
  for (const auto& [path, data] : bookmarks)
    dictionary.emplace(path, data);
  return dictionary;
}

}  // namespace

std::string_view rawValue(OpeningScope scope) {
  return kOpeningScopes.name(scope);
}
std::optional<OpeningScope> openingScopeFromRaw(std::string_view raw) {
  return kOpeningScopes.value(raw);
}
std::string_view rawValue(QuilloPreferences::Scope scope) {
  return kScopes.name(scope);
}
std::optional<QuilloPreferences::Scope> scopeFromRaw(std::string_view raw) {
  return kScopes.value(raw);
}

std::string standardisedPath(std::string_view path) {
  std::string normal = std::filesystem::path(path).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/')
    normal.pop_back();
  return normal;
}

QuilloPreferences::QuilloPreferences(DefaultsStore& defaults)
    : defaults_(defaults),
      launcherShortcut_(readShortcut(defaults, Keys::launcherShortcut, LauncherShortcut::launcherDefault)),
      clipboardShortcut_(readShortcut(defaults, Keys::clipboardShortcut, LauncherShortcut::clipboardDefault)),
      openingScope_(OpeningScope::frontApp),
      learnFromUsage_(readSwitch(defaults, Keys::learnFromUsage, true)),
      prefetchMenus_(readSwitch(defaults, Keys::prefetchMenus, true)),
      showResultShortcuts_(readSwitch(defaults, Keys::showResultShortcuts, true)),
      desktopShortcutsAllowed_(readSwitch(defaults, Keys::desktopShortcutsAllowed, false)),
      hideMenuData_(readSwitch(defaults, Keys::hideMenuData, true)),
      searchFilesWithRavo_(readSwitch(defaults, Keys::searchFilesWithRavo, false)),
      fileSearchPaths_(readPaths(defaults)),
      // A setup that left no folder is not complete.
      fileSearchSetupCompleted_(readSwitch(defaults, Keys::fileSearchSetupCompleted, false) &&
                                !fileSearchPaths_.empty()),
      fileSearchBookmarks_(readBookmarks(defaults)) {
  if (const auto stored = defaults.value(Keys::openingScope); stored && stored->string()) {
    openingScope_ = openingScopeFromRaw(*stored->string()).value_or(OpeningScope::frontApp);
  }
}

void QuilloPreferences::setLauncherShortcut(LauncherShortcut shortcut) {
  defaults_.set(Keys::launcherShortcut, shortcut.toDefaults());
  launcherShortcut_ = shortcut;
}

void QuilloPreferences::setClipboardShortcut(LauncherShortcut shortcut) {
  defaults_.set(Keys::clipboardShortcut, shortcut.toDefaults());
  clipboardShortcut_ = shortcut;
}

void QuilloPreferences::setOpeningScope(OpeningScope scope) {
  defaults_.set(Keys::openingScope, std::string(rawValue(scope)));
  openingScope_ = scope;
}

void QuilloPreferences::setLearnFromUsage(bool on) {
  defaults_.set(Keys::learnFromUsage, on);
  learnFromUsage_ = on;
}

void QuilloPreferences::setDesktopShortcutsAllowed(bool allowed) {
  defaults_.set(Keys::desktopShortcutsAllowed, allowed);
  desktopShortcutsAllowed_ = allowed;
}

void QuilloPreferences::setPrefetchMenus(bool on) {
  defaults_.set(Keys::prefetchMenus, on);
  prefetchMenus_ = on;
}

void QuilloPreferences::setShowResultShortcuts(bool on) {
  defaults_.set(Keys::showResultShortcuts, on);
  showResultShortcuts_ = on;
}

void QuilloPreferences::setHideMenuData(bool on) {
  defaults_.set(Keys::hideMenuData, on);
  hideMenuData_ = on;
}

void QuilloPreferences::setSearchFilesWithRavo(bool on) {
  defaults_.set(Keys::searchFilesWithRavo, on);
  searchFilesWithRavo_ = on;
}

void QuilloPreferences::setFileSearchPaths(std::vector<std::string> paths) {
  std::vector<std::string> merged;
  defaults_.update(Keys::fileSearchPaths, [&](const std::optional<DefaultsValue>& stored) {
    merged = withChange(fileSearchPaths_, paths, pathsIn(stored));
    return std::optional<DefaultsValue>(pathsValue(merged));
  });
  fileSearchPaths_ = std::move(merged);
  auto bookmarks = fileSearchBookmarks_;
  std::erase_if(bookmarks, [this](const auto& entry) {
    return std::find(fileSearchPaths_.begin(), fileSearchPaths_.end(), entry.first) == fileSearchPaths_.end();
  });
  if (bookmarks != fileSearchBookmarks_) setFileSearchBookmarks(std::move(bookmarks));
  if (fileSearchPaths_.empty()) setFileSearchSetupCompleted(false);
}

void QuilloPreferences::setFileSearchSetupCompleted(bool completed) {
  defaults_.set(Keys::fileSearchSetupCompleted, completed);
  fileSearchSetupCompleted_ = completed;
}

void QuilloPreferences::setFileSearchBookmarks(std::map<std::string, DefaultsValue::Data> bookmarks) {
  std::map<std::string, DefaultsValue::Data> merged;
  defaults_.update(Keys::fileSearchBookmarks, [&](const std::optional<DefaultsValue>& stored) {
    merged = withChange(fileSearchBookmarks_, bookmarks, bookmarksIn(stored));
    return std::optional<DefaultsValue>(bookmarksValue(merged));
  });
  fileSearchBookmarks_ = std::move(merged);
}

void QuilloPreferences::addFileSearchFolders(const std::vector<base::Url>& urls) {
  std::vector<std::string> paths = fileSearchPaths_;
  for (const base::Url& url : urls) {
    const auto path = url.filePath();
    if (!path) continue;
    std::string standard = standardisedPath(*path);
    if (std::find(paths.begin(), paths.end(), standard) == paths.end()) paths.push_back(std::move(standard));
  }
  setFileSearchPaths(std::move(paths));
}

void QuilloPreferences::authorizeFileSearchFolders(const std::vector<base::Url>& urls,
                                                   const std::optional<std::string>& replacing,
                                                   platform::Bookmarks& bookmarks,
                                                   const platform::FileSystem& files,
                                                   const std::string& homeFolder) {
  std::vector<std::pair<std::string, DefaultsValue::Data>> picked;
  for (const base::Url& url : urls) {
    const std::string path = standardisedPath(url.filePath().value_or(std::string()));
    const bool scoped = bookmarks.startAccessing(path);
    try {
      FileFolderAccess::validateSelection(files, url, homeFolder);
      picked.emplace_back(path, DefaultsValue::Data{FileFolderAccess::bookmark(bookmarks, url)});
    } catch (...) {
      if (scoped) bookmarks.stopAccessing(path);
      throw;
    }
    if (scoped) bookmarks.stopAccessing(path);
  }

  std::vector<std::string> paths;
  const auto listed = [&](const std::string& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  };
  const auto addPicked = [&] {
    for (const auto& [path, data] : picked)
      if (!listed(path)) paths.push_back(path);
  };
  bool replaced = false;
  for (const std::string& path : fileSearchPaths_) {
    if (replacing && path == standardisedPath(*replacing)) {
      addPicked();
      replaced = true;
    } else if (!listed(path)) {
      paths.push_back(path);
    }
  }
  if (!replaced) addPicked();
  // Bookmarks first: the new list keeps only the bookmarks of listed folders.
  auto stored = fileSearchBookmarks_;
  for (auto& [path, data] : picked)
    stored[path] = std::move(data);
  setFileSearchBookmarks(std::move(stored));
  setFileSearchPaths(std::move(paths));
  setFileSearchSetupCompleted(true);
}

void QuilloPreferences::refreshFileSearchBookmark(const std::string& path, const base::Url& url,
                                                  DefaultsValue::Data data) {
  const std::string moved = standardisedPath(url.filePath().value_or(path));
  auto stored = fileSearchBookmarks_;
  stored[moved] = std::move(data);
  std::vector<std::string> paths = fileSearchPaths_;
  if (moved != path) {
    stored.erase(path);
    if (std::find(paths.begin(), paths.end(), moved) != paths.end())
      std::erase(paths, path);
    else
      std::replace(paths.begin(), paths.end(), path, moved);
  }
  setFileSearchBookmarks(std::move(stored));
  if (paths != fileSearchPaths_) setFileSearchPaths(std::move(paths));
}

QuilloPreferences::Scope QuilloPreferences::scopeOnOpen(bool targetAppAvailable) const {
  const Scope menusIfPossible = targetAppAvailable ? Scope::menus : Scope::commands;
  switch (openingScope_) {
    case OpeningScope::frontApp:
      return menusIfPossible;
    case OpeningScope::mac:
      return Scope::commands;
    case OpeningScope::lastUsed:
      break;
  }
  const auto stored = defaults_.value(Keys::lastUsedScope);
  const auto last = stored && stored->string() ? scopeFromRaw(*stored->string()) : std::nullopt;
  if (last == Scope::menus) return menusIfPossible;
  if (last) return *last;
  // Stores written before the last scope was kept only knew whether it was the Mac's commands.
  const bool wasMac = readSwitch(defaults_, Keys::lastUsedMacScope, false);
  return wasMac || !targetAppAvailable ? Scope::commands : Scope::menus;
}

void QuilloPreferences::rememberScope(Scope scope) {
  defaults_.set(Keys::lastUsedScope, std::string(rawValue(scope)));
}

}  // namespace quillo::core

#include <gtest/gtest.h>

#include "quillo/core/preferences/clipboard_preferences.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/core/preferences/preference_keys.h"
#include "quillo/core/preferences/quillo_preferences.h"

namespace quillo::core {
namespace {

using Scope = QuilloPreferences::Scope;

DefaultsValue shortcut(int keyCode, int modifiers) {
  return DefaultsValue::Dictionary{{"keyCode", keyCode}, {"modifiers", modifiers}};
}

TEST(LauncherShortcut, RejectsModifierKeysAndShiftAlone) {
  EXPECT_EQ(LauncherShortcut::make(49, LauncherShortcut::command), (LauncherShortcut{49, 0x100}));
  EXPECT_EQ(LauncherShortcut::make(53, LauncherShortcut::command), std::nullopt);  // Escape
  for (const int modifierKey : {55, 54, 56, 60, 58, 61, 59, 62, 57, 63}) {
    EXPECT_EQ(LauncherShortcut::make(modifierKey, LauncherShortcut::control), std::nullopt) << modifierKey;
  }
  EXPECT_EQ(LauncherShortcut::make(128, LauncherShortcut::command), std::nullopt);
  EXPECT_EQ(LauncherShortcut::make(-1, LauncherShortcut::command), std::nullopt);
  EXPECT_EQ(LauncherShortcut::make(49, LauncherShortcut::shift), std::nullopt);
  EXPECT_EQ(LauncherShortcut::make(49, LauncherShortcut::option | LauncherShortcut::shift),
            (LauncherShortcut{49, 0xA00}));
  // Only the four modifiers are kept: caps lock (0x400) is dropped.
  EXPECT_EQ(LauncherShortcut::make(9, 0x100 | 0x200 | 0x400), (LauncherShortcut{9, 0x300}));
}

TEST(QuilloPreferences, DefaultsWhenNothingIsStored) {
  MemoryDefaultsStore store;
  const QuilloPreferences preferences(store);
  EXPECT_EQ(preferences.launcherShortcut(), (LauncherShortcut{49, 0x100}));
  EXPECT_EQ(preferences.clipboardShortcut(), (LauncherShortcut{9, 0x300}));
  EXPECT_EQ(preferences.openingScope(), OpeningScope::frontApp);
  EXPECT_TRUE(preferences.learnFromUsage());
  EXPECT_TRUE(preferences.prefetchMenus());
  EXPECT_TRUE(preferences.showResultShortcuts());
  EXPECT_TRUE(preferences.hideMenuData());
  EXPECT_FALSE(preferences.searchFilesWithRavo());
  EXPECT_TRUE(preferences.fileSearchPaths().empty());
  EXPECT_FALSE(preferences.fileSearchSetupCompleted());
  EXPECT_TRUE(store.all().empty());  // reading writes nothing

  store.set("fileSearchSetupCompleted", true);  // a setup without folders is not complete
  EXPECT_FALSE(QuilloPreferences(store).fileSearchSetupCompleted());
}

TEST(QuilloPreferences, WrongTypesAndInvalidValuesLoadAsDefaults) {
  MemoryDefaultsStore store({
      {"launcherShortcut", shortcut(53, 0x100)},   // Escape
      {"clipboardShortcut", shortcut(49, 0x200)},  // shift alone
      {"learnFromUsage", "no"},
      {"prefetchMenus", 0},
      {"hideMenuData", false},
      {"searchFilesWithRavo", "yes"},
      {"openingScope", "sideways"},
      {"fileSearchPaths", DefaultsValue::Array{"/a", 3, "/b"}},
      {"fileSearchSetupCompleted", true},
      {"fileSearchBookmarks", DefaultsValue::Dictionary{{"/a", "not data"}}},
  });
  const QuilloPreferences preferences(store);
  EXPECT_EQ(preferences.launcherShortcut(), LauncherShortcut::launcherDefault);
  EXPECT_EQ(preferences.clipboardShortcut(), LauncherShortcut::clipboardDefault);
  EXPECT_TRUE(preferences.learnFromUsage());
  EXPECT_TRUE(preferences.prefetchMenus());
  EXPECT_FALSE(preferences.hideMenuData());
  EXPECT_FALSE(preferences.searchFilesWithRavo());
  EXPECT_EQ(preferences.openingScope(), OpeningScope::frontApp);
  EXPECT_EQ(preferences.fileSearchPaths(), (std::vector<std::string>{"/a", "/b"}));
  EXPECT_TRUE(preferences.fileSearchSetupCompleted());
  EXPECT_TRUE(preferences.fileSearchBookmarks().empty());
}

TEST(QuilloPreferences, EveryChangeIsWrittenAtOnce) {
  MemoryDefaultsStore store;
  std::vector<std::string> heard;
  const auto subscription = store.observe([&](std::string_view key) { heard.emplace_back(key); });
  QuilloPreferences preferences(store);
  preferences.setLauncherShortcut({40, 0x1800});
  preferences.setOpeningScope(OpeningScope::lastUsed);
  preferences.setLearnFromUsage(false);
  preferences.setSearchFilesWithRavo(true);
  EXPECT_EQ(*store.value("launcherShortcut"), shortcut(40, 0x1800));
  EXPECT_EQ(*store.value("openingScope")->string(), "lastUsed");
  EXPECT_EQ(store.value("learnFromUsage")->boolean(), false);
  EXPECT_EQ(store.value("searchFilesWithRavo")->boolean(), true);
  EXPECT_EQ(heard, (std::vector<std::string>{"launcherShortcut", "openingScope", "learnFromUsage",
                                             "searchFilesWithRavo"}));
  const QuilloPreferences reread(store);
  EXPECT_EQ(reread.launcherShortcut(), (LauncherShortcut{40, 0x1800}));
  EXPECT_EQ(reread.openingScope(), OpeningScope::lastUsed);
  EXPECT_FALSE(reread.learnFromUsage());
}

TEST(QuilloPreferences, ShortcutsGoIntoTheDesktopsSettingsOnlyOnceTheUserAllowsIt) {
  MemoryDefaultsStore store;
  EXPECT_FALSE(QuilloPreferences(store).desktopShortcutsAllowed());
  QuilloPreferences(store).setDesktopShortcutsAllowed(true);
  EXPECT_TRUE(QuilloPreferences(store).desktopShortcutsAllowed());
  MemoryDefaultsStore mistyped(DefaultsValue::Dictionary{{"desktopShortcutsAllowed", "yes"}});  // no consent
  EXPECT_FALSE(QuilloPreferences(mistyped).desktopShortcutsAllowed());
}

TEST(QuilloPreferences, ScopeOnOpen) {
  MemoryDefaultsStore store;
  QuilloPreferences preferences(store);
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::menus);
  EXPECT_EQ(preferences.scopeOnOpen(false), Scope::commands);

  preferences.setOpeningScope(OpeningScope::mac);
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::commands);

  preferences.setOpeningScope(OpeningScope::lastUsed);
  // No scope remembered: the Mac's commands unless a front application's menus can be searched.
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::menus);
  EXPECT_EQ(preferences.scopeOnOpen(false), Scope::commands);
  store.set("lastUsedMacScope", true);
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::commands);

  preferences.rememberScope(Scope::menus);
  EXPECT_EQ(*store.value("lastUsedScope")->string(), "menus");
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::menus);
  EXPECT_EQ(preferences.scopeOnOpen(false), Scope::commands);
  preferences.rememberScope(Scope::files);
  EXPECT_EQ(preferences.scopeOnOpen(false), Scope::files);
  store.set("lastUsedScope", "elsewhere");
  store.remove("lastUsedMacScope");
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::menus);
}

TEST(QuilloPreferences, FolderListKeepsEachFolderOnceAndItsBookmarksOnlyWhileListed) {
  MemoryDefaultsStore store;
  QuilloPreferences preferences(store);
  preferences.addFileSearchFolders(
      {base::Url::file("/Users/ana/Documents/"), base::Url::file("/Users/ana/Documents"),
       base::Url{"https://example.com/Documents"}, base::Url::file("/Users/ana/./Notes")});
  EXPECT_EQ(preferences.fileSearchPaths(),
            (std::vector<std::string>{"/Users/ana/Documents", "/Users/ana/Notes"}));
  EXPECT_EQ(store.value("fileSearchPaths")->array()->size(), 2u);

  preferences.setFileSearchBookmarks({{"/Users/ana/Documents", {{1}}}, {"/Users/ana/Notes", {{2}}}});
  preferences.setFileSearchSetupCompleted(true);
  preferences.setFileSearchPaths({"/Users/ana/Notes"});
  EXPECT_EQ(preferences.fileSearchBookmarks().size(), 1u);
  EXPECT_EQ(store.value("fileSearchBookmarks")->dictionary()->size(), 1u);
  EXPECT_TRUE(preferences.fileSearchSetupCompleted());

  preferences.setFileSearchPaths({});
  EXPECT_TRUE(preferences.fileSearchBookmarks().empty());
  EXPECT_FALSE(preferences.fileSearchSetupCompleted());
  EXPECT_EQ(store.value("fileSearchSetupCompleted")->boolean(), false);
}

TEST(PreferenceKeys, KnownKeysTakeOnlyTheirKind) {
  EXPECT_TRUE(PreferenceKeys::fits("learnFromUsage", false));
  EXPECT_FALSE(PreferenceKeys::fits("learnFromUsage", "no"));
  EXPECT_TRUE(PreferenceKeys::fits("usage", DefaultsValue::Dictionary{{"action.Sleep", 2}}));
  EXPECT_FALSE(PreferenceKeys::fits("usage", DefaultsValue::Dictionary{{"action.Sleep", "2"}}));
  EXPECT_FALSE(PreferenceKeys::fits("fileSearchPaths", DefaultsValue::Array{"/a", 1}));
  EXPECT_TRUE(PreferenceKeys::fits("clipboard.megabytes", 512));
  EXPECT_TRUE(PreferenceKeys::fits("somethingNew", "anything"));
}

TEST(ClipboardPreferences, AbsentOrMistypedKeysReadAsTheDefaults) {
  const ClipboardPreferences defaults = ClipboardPreferences::read(MemoryDefaultsStore());
  EXPECT_FALSE(defaults.isEnabled);
  EXPECT_EQ(defaults.retentionDays, 30);
  EXPECT_EQ(defaults.storageMB, 256);
  EXPECT_TRUE(defaults.forgetsTokens);
  EXPECT_EQ(defaults.separator, "\n");
  EXPECT_EQ(defaults.excludedApps.size(), 10u);
  EXPECT_EQ(defaults.excludedApps.at("com.bitwarden.desktop"), "Bitwarden");
  EXPECT_EQ(defaults.excludedApps.at("org.keepassxc.KeePassXC"), "KeePassXC");

  const ClipboardPreferences set = ClipboardPreferences::read(MemoryDefaultsStore({
      {"clipboard.enabled", true},
      {"clipboard.days", 7},
      {"clipboard.megabytes", "lots"},
      {"clipboard.forgetTokens", false},
      {"clipboard.excludedApps", DefaultsValue::Dictionary{{"org.keepassxc", "KeePassXC"}}},
  }));
  EXPECT_TRUE(set.isEnabled);
  EXPECT_EQ(set.retentionDays, 7);
  EXPECT_EQ(set.storageMB, 256);
  EXPECT_FALSE(set.forgetsTokens);
  EXPECT_EQ(set.excludedApps, (std::map<std::string, std::string>{{"org.keepassxc", "KeePassXC"}}));
}

}  // namespace
}  // namespace quillo::core

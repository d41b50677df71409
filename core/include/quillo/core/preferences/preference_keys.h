#pragma once

#include <optional>
#include <string_view>

#include "quillo/core/preferences/defaults_value.h"

// The keys of the defaults store and the kinds of value they hold.
namespace quillo::core::PreferenceKeys {

inline constexpr std::string_view launcherShortcut = "launcherShortcut";
inline constexpr std::string_view clipboardShortcut = "clipboardShortcut";
inline constexpr std::string_view openingScope = "openingScope";
inline constexpr std::string_view learnFromUsage = "learnFromUsage";
inline constexpr std::string_view prefetchMenus = "prefetchMenus";
inline constexpr std::string_view showResultShortcuts = "showResultShortcuts";
inline constexpr std::string_view hideMenuData = "hideMenuData";
inline constexpr std::string_view searchFilesWithRavo = "searchFilesWithRavo";
inline constexpr std::string_view fileSearchPaths = "fileSearchPaths";
inline constexpr std::string_view fileSearchSetupCompleted = "fileSearchSetupCompleted";
inline constexpr std::string_view fileSearchBookmarks = "fileSearchBookmarks";
inline constexpr std::string_view lastUsedScope = "lastUsedScope";
inline constexpr std::string_view lastUsedMacScope = "lastUsedMacScope";
inline constexpr std::string_view usage = "usage";
inline constexpr std::string_view desktopShortcutsAllowed = "desktopShortcutsAllowed";

// What a known key holds: its kind and, for an array or dictionary, the kind of every element.
struct Expectation {
  DefaultsValue::Kind kind;
  std::optional<DefaultsValue::Kind> elements;
};

// None for a key the program does not know.
std::optional<Expectation> expectation(std::string_view key);

// Whether `value` is what `key` holds; unknown keys take anything.
bool fits(std::string_view key, const DefaultsValue& value);

}  // namespace quillo::core::PreferenceKeys

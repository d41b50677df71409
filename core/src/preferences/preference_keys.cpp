#include "quillo/core/preferences/preference_keys.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quillo::core::PreferenceKeys {
namespace {

using Kind = DefaultsValue::Kind;

constexpr std::array<std::pair<std::string_view, Expectation>, 30> kKnownKeys{{
    {launcherShortcut, {Kind::dictionary, Kind::integer}},
    {clipboardShortcut, {Kind::dictionary, Kind::integer}},
    {openingScope, {Kind::string, std::nullopt}},
    {learnFromUsage, {Kind::boolean, std::nullopt}},
    {prefetchMenus, {Kind::boolean, std::nullopt}},
    {showResultShortcuts, {Kind::boolean, std::nullopt}},
    {hideMenuData, {Kind::boolean, std::nullopt}},
    {searchFilesWithRavo, {Kind::boolean, std::nullopt}},
    {fileSearchPaths, {Kind::array, Kind::string}},
    {fileSearchSetupCompleted, {Kind::boolean, std::nullopt}},
    {fileSearchBookmarks, {Kind::dictionary, Kind::data}},
    {lastUsedScope, {Kind::string, std::nullopt}},
    {lastUsedMacScope, {Kind::boolean, std::nullopt}},
    {usage, {Kind::dictionary, Kind::integer}},
    {desktopShortcutsAllowed, {Kind::boolean, std::nullopt}},
    {"launcher.positionsByDisplay", {Kind::dictionary, Kind::dictionary}},
    {"keepAwakeUntil", {Kind::date, std::nullopt}},
    {"keepAwakeDisplay", {Kind::boolean, std::nullopt}},
    {"QuilloTelemetryEnabled", {Kind::boolean, std::nullopt}},
    {"QuilloTelemetryHasReportedInstall", {Kind::boolean, std::nullopt}},
    {"QuilloTelemetryLastActiveDay", {Kind::string, std::nullopt}},
    {"clipboard.enabled", {Kind::boolean, std::nullopt}},
    {"clipboard.text", {Kind::boolean, std::nullopt}},
    {"clipboard.images", {Kind::boolean, std::nullopt}},
    {"clipboard.files", {Kind::boolean, std::nullopt}},
    {"clipboard.days", {Kind::integer, std::nullopt}},
    {"clipboard.megabytes", {Kind::integer, std::nullopt}},
    {"clipboard.excludedApps", {Kind::dictionary, Kind::string}},
    {"clipboard.separator", {Kind::string, std::nullopt}},
    {"clipboard.forgetTokens", {Kind::boolean, std::nullopt}},
}};

bool elementsAre(const DefaultsValue& value, Kind kind) {
  const auto isKind = [kind](const DefaultsValue& element) { return element.kind() == kind; };
  if (const auto* array = value.array()) return std::all_of(array->begin(), array->end(), isKind);
  if (const auto* dictionary = value.dictionary()) {
    return std::all_of(dictionary->begin(), dictionary->end(),
                       [&](const auto& entry) { return isKind(entry.second); });
  }
  return true;
}

}  // namespace

std::optional<Expectation> expectation(std::string_view key) {
  for (const auto& [name, expected] : kKnownKeys) {
    if (name == key) return expected;
  }
  return std::nullopt;
}

bool fits(std::string_view key, const DefaultsValue& value) {
  const auto expected = expectation(key);
  if (!expected) return true;
  if (value.kind() != expected->kind) return false;
  return !expected->elements || elementsAre(value, *expected->elements);
}

}  // namespace quillo::core::PreferenceKeys

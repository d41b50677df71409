#include "quillo/core/preferences/launcher_shortcut.h"

#include <algorithm>
#include <array>
#include <limits>

namespace quillo::core {
namespace {

constexpr int kKeyCodeLimit = 128;
// Escape, the two Command, Shift, Option and Control keys, Caps Lock and Function.
constexpr std::array<int, 11> kReservedKeys{53, 55, 54, 56, 60, 58, 61, 59, 62, 57, 63};
constexpr int kRequiredModifiers =
    LauncherShortcut::command | LauncherShortcut::option | LauncherShortcut::control;
constexpr int kKeptModifiers = kRequiredModifiers | LauncherShortcut::shift;

std::optional<int> smallInteger(const DefaultsValue::Dictionary& dictionary, std::string_view key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end()) return std::nullopt;
  const auto value = found->second.integer();
  if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

}  // namespace

std::optional<LauncherShortcut> LauncherShortcut::make(int keyCode, int modifiers) {
  if (keyCode < 0 || keyCode >= kKeyCodeLimit) return std::nullopt;
  if (std::find(kReservedKeys.begin(), kReservedKeys.end(), keyCode) != kReservedKeys.end())
    return std::nullopt;
  if ((modifiers & kRequiredModifiers) == 0) return std::nullopt;
  return LauncherShortcut{keyCode, modifiers & kKeptModifiers};
}

std::optional<LauncherShortcut> LauncherShortcut::fromDefaults(const DefaultsValue& value) {
  const auto* dictionary = value.dictionary();
  if (dictionary == nullptr) return std::nullopt;
  const auto keyCode = smallInteger(*dictionary, "keyCode");
  const auto modifiers = smallInteger(*dictionary, "modifiers");
  if (!keyCode || !modifiers) return std::nullopt;
  return make(*keyCode, *modifiers);
}

DefaultsValue LauncherShortcut::toDefaults() const {
  return DefaultsValue::Dictionary{{"keyCode", keyCode}, {"modifiers", modifiers}};
}

}  // namespace quillo::core

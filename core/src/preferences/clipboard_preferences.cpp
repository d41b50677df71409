#include "quillo/core/preferences/clipboard_preferences.h"

namespace quillo::core {
namespace {

bool readSwitch(const DefaultsStore& defaults, std::string_view key, bool fallback) {
  const auto value = defaults.value(key);
  return value ? value->boolean().value_or(fallback) : fallback;
}

std::int64_t readInteger(const DefaultsStore& defaults, std::string_view key, std::int64_t fallback) {
  const auto value = defaults.value(key);
  return value ? value->integer().value_or(fallback) : fallback;
}

}  // namespace

std::map<std::string, std::string> ClipboardPreferences::defaultExcludedApps() {
  return {
      {"com.1password.1password", "1Password"},
      {"com.agilebits.onepassword7", "1Password 7"},
      {"com.apple.Passwords", "Passwords"},
      {"com.apple.keychainaccess", "Keychain Access"},
      {"com.bitwarden.desktop", "Bitwarden"},
      {"org.keepassxc.KeePassXC", "KeePassXC"},
      {"1password", "1Password"},
      {"org.gnome.seahorse.Application", "Passwords and Keys"},
      {"org.gnome.World.Secrets", "Secrets"},
      {"org.kde.kwalletmanager5", "KWallet Manager"},
  };
}

ClipboardPreferences ClipboardPreferences::read(const DefaultsStore& defaults) {
  ClipboardPreferences preferences;
  preferences.isEnabled = readSwitch(defaults, Keys::enabled, preferences.isEnabled);
  preferences.saveText = readSwitch(defaults, Keys::text, preferences.saveText);
  preferences.saveImages = readSwitch(defaults, Keys::images, preferences.saveImages);
  preferences.saveFiles = readSwitch(defaults, Keys::files, preferences.saveFiles);
  preferences.retentionDays = readInteger(defaults, Keys::days, preferences.retentionDays);
  preferences.storageMB = readInteger(defaults, Keys::megabytes, preferences.storageMB);
  preferences.forgetsTokens = readSwitch(defaults, Keys::forgetTokens, preferences.forgetsTokens);
  if (const auto separator = defaults.value(Keys::separator); separator && separator->string()) {
    preferences.separator = *separator->string();
  }
  if (const auto apps = defaults.value(Keys::excludedApps); apps && apps->dictionary()) {
    std::map<std::string, std::string> excluded;
    for (const auto& [bundle, name] : *apps->dictionary()) {
      if (const std::string* text = name.string()) excluded.emplace(bundle, *text);
    }
    preferences.excludedApps = std::move(excluded);
  }
  return preferences;
}

}  // namespace quillo::core

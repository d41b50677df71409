#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_store.h"

namespace quillo::core {

// The clipboard history's settings as the defaults store holds them under "clipboard." keys,
// each with its default when the key is absent or holds another kind of value.
struct ClipboardPreferences {
  // The keys, which only this struct and its owner in the application spell out.
  struct Keys {
    static constexpr std::string_view enabled = "clipboard.enabled";
    static constexpr std::string_view text = "clipboard.text";
    static constexpr std::string_view images = "clipboard.images";
    static constexpr std::string_view files = "clipboard.files";
    static constexpr std::string_view days = "clipboard.days";
    static constexpr std::string_view megabytes = "clipboard.megabytes";
    static constexpr std::string_view excludedApps = "clipboard.excludedApps";
    static constexpr std::string_view separator = "clipboard.separator";
    static constexpr std::string_view forgetTokens = "clipboard.forgetTokens";
  };

  // Recording is opt-in.
  bool isEnabled = false;
  bool saveText = true;
  bool saveImages = true;
  bool saveFiles = true;
  std::int64_t retentionDays = 30;
  std::int64_t storageMB = 256;
  // Application id (a bundle identifier, or a desktop-file id on Linux) → application name;
  // copies from these are never recorded.
  std::map<std::string, std::string> excludedApps = defaultExcludedApps();
  // What joins several entries pasted together.
  std::string separator = "\n";
  // Forget token-looking text an hour after it was copied.
  bool forgetsTokens = true;

  static ClipboardPreferences read(const DefaultsStore& defaults);
  // The password managers whose copies stay out of the history, by their macOS and Linux ids.
  static std::map<std::string, std::string> defaultExcludedApps();

  bool operator==(const ClipboardPreferences&) const = default;
};

}  // namespace quillo::core

#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "quillo/core/preferences/defaults_store.h"

namespace quillo::core {

// The clipboard history's settings as the defaults store holds them under "clipboard." keys,
// each with its default when the key is absent or holds another kind of value.
struct ClipboardPreferences {
  // Recording is opt-in.
  bool isEnabled = false;
  bool saveText = true;
  bool saveImages = true;
  bool saveFiles = true;
  std::int64_t retentionDays = 30;
  std::int64_t storageMB = 256;
  // Bundle identifier → application name; copies from these are never recorded.
  std::map<std::string, std::string> excludedApps = defaultExcludedApps();
  // What joins several entries pasted together.
  std::string separator = "\n";
  // Forget token-looking text an hour after it was copied.
  bool forgetsTokens = true;

  static ClipboardPreferences read(const DefaultsStore& defaults);
  // The password managers whose copies stay out of the history.
  static std::map<std::string, std::string> defaultExcludedApps();

  bool operator==(const ClipboardPreferences&) const = default;
};

}  // namespace quillo::core

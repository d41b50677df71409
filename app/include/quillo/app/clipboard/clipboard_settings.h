#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "quillo/clipboard/clipboard_limits.h"
#include "quillo/core/preferences/clipboard_preferences.h"
#include "quillo/core/preferences/defaults_store.h"

namespace quillo::app {

// The clipboard history's settings as an observable object: each setter writes its key at once,
// and every change of a "clipboard." key, ours or another writer's, is read back and announced
// through onChange. Main thread only; the defaults store must outlive it.
class ClipboardSettings {
 public:
  explicit ClipboardSettings(core::DefaultsStore& defaults);
  ClipboardSettings(const ClipboardSettings&) = delete;
  ClipboardSettings& operator=(const ClipboardSettings&) = delete;

  const core::ClipboardPreferences& values() const { return values_; }
  // The store's limits for these settings.
  clipboard::ClipboardLimits limits() const;

  // Each throws core::DefaultsError (or UnstorableValue) when the value cannot be written.
  void setEnabled(bool on);
  void setSaveText(bool on);
  void setSaveImages(bool on);
  void setSaveFiles(bool on);
  void setRetentionDays(std::int64_t days);
  void setStorageMB(std::int64_t megabytes);
  void setExcludedApps(const std::map<std::string, std::string>& apps);
  void setSeparator(const std::string& separator);
  void setForgetsTokens(bool on);

  // Called on the main thread after any setting changed.
  std::function<void()> onChange;

 private:
  core::DefaultsStore& defaults_;
  core::ClipboardPreferences values_;
  core::DefaultsStore::Subscription subscription_;
};

}  // namespace quillo::app

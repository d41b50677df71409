#include "quillo/app/clipboard/clipboard_settings.h"

namespace quillo::app {

using Keys = core::ClipboardPreferences::Keys;

ClipboardSettings::ClipboardSettings(core::DefaultsStore& defaults)
    : defaults_(defaults), values_(core::ClipboardPreferences::read(defaults)) {
  subscription_ = defaults_.observe([this](std::string_view key) {
    if (!key.starts_with("clipboard.")) return;
    values_ = core::ClipboardPreferences::read(defaults_);
    if (onChange) onChange();
  });
}

clipboard::ClipboardLimits ClipboardSettings::limits() const {
  return clipboard::ClipboardLimits::fromSettings(values_.retentionDays, values_.storageMB,
                                                  values_.forgetsTokens);
}

void ClipboardSettings::setEnabled(bool on) {
  defaults_.set(Keys::enabled, on);
}
void ClipboardSettings::setSaveText(bool on) {
  defaults_.set(Keys::text, on);
}
void ClipboardSettings::setSaveImages(bool on) {
  defaults_.set(Keys::images, on);
}
void ClipboardSettings::setSaveFiles(bool on) {
  defaults_.set(Keys::files, on);
}
void ClipboardSettings::setRetentionDays(std::int64_t days) {
  defaults_.set(Keys::days, days);
}
void ClipboardSettings::setStorageMB(std::int64_t megabytes) {
  defaults_.set(Keys::megabytes, megabytes);
}
void ClipboardSettings::setSeparator(const std::string& separator) {
  defaults_.set(Keys::separator, separator);
}
void ClipboardSettings::setForgetsTokens(bool on) {
  defaults_.set(Keys::forgetTokens, on);
}

void ClipboardSettings::setExcludedApps(const std::map<std::string, std::string>& apps) {
  core::DefaultsValue::Dictionary dictionary;
  for (const auto& [id, name] : apps)
    dictionary.emplace(id, name);
  defaults_.set(Keys::excludedApps, std::move(dictionary));
}

}  // namespace quillo::app

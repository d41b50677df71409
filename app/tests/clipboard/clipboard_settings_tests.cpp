#include <gtest/gtest.h>

#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/core/preferences/memory_defaults_store.h"

namespace quillo::app {
namespace {

TEST(ClipboardSettings, ASetterWritesItsKeyAndThenAnnouncesTheChange) {
  core::MemoryDefaultsStore defaults;
  ClipboardSettings settings(defaults);
  int changes = 0;
  bool sawNewValue = false;
  settings.onChange = [&] {
    ++changes;
    sawNewValue = settings.values().storageMB == 64;
  };
  settings.setStorageMB(64);
  EXPECT_EQ(defaults.value("clipboard.megabytes"), core::DefaultsValue(64));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(sawNewValue);
}

TEST(ClipboardSettings, LimitsKeepTheirFloorsAndForgetTokensWithinAnHour) {
  core::MemoryDefaultsStore defaults({{"clipboard.days", 0}, {"clipboard.megabytes", 2}});
  ClipboardSettings settings(defaults);
  EXPECT_EQ(settings.limits().retentionDays, 1);
  EXPECT_EQ(settings.limits().bytes, 16 * clipboard::ClipboardLimits::kMegabyte);
  EXPECT_EQ(settings.limits().tokenLifetime, 3600.0);
  settings.setForgetsTokens(false);
  EXPECT_EQ(settings.limits().tokenLifetime, std::nullopt);
}

}  // namespace
}  // namespace quillo::app

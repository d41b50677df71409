#pragma once

#include <functional>
#include <string>
#include <vector>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/app/search_folders.h"
#include "quillo/app/shell/autostart_entry.h"
#include "quillo/app/shell/shortcut_controller.h"
#include "quillo/app/telemetry_service.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/desktop/desktop_diagnostics.h"

namespace quillo::ui {

// What the settings window edits and shows. Everything must outlive the window. A shortcut
// controller may be absent (a desktop whose shortcuts are bound outside the program): its
// recorder is then left out.
struct SettingsContext {
  core::QuilloPreferences& preferences;
  app::ShortcutController* launcherShortcut;
  app::ShortcutController* clipboardShortcut;
  app::SearchFolders& folders;
  app::ClipboardSettings& clipboard;
  app::ClipboardModel& clipboardModel;
  app::TelemetryService& telemetry;
  app::AutostartEntry& autostart;
  // Each facility of the desktop as it works now; called when the diagnostics page is shown.
  std::function<std::vector<platform::desktop::FacilityStatus>()> diagnostics;
  std::string version;
  // Where the desktop grabs no keys for programs but takes shortcuts into its own keyboard
  // settings: stores the user's consent and applies it (may throw). Empty elsewhere.
  std::function<void(bool)> allowDesktopShortcuts{};
};

}  // namespace quillo::ui

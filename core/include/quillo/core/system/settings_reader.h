#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/platform/accessibility.h"

namespace quillo::core {

// The pane shown in a settings window: its rows in reading order.
struct SettingsPane {
  // The window title when the pane was read.
  std::string title;
  std::vector<Command> rows;
  bool operator==(const SettingsPane&) const = default;
};

// The sidebar of a settings window.
struct SettingsSidebar {
  // The window element's hash, to recognise the same window later.
  std::int64_t windowToken = 0;
  std::string title;
  std::vector<Command> sections;
  bool operator==(const SettingsSidebar&) const = default;
};

// Reads a settings window (System Settings, or the settings window of the application in front)
// into commands of kind settingRow: the rows of the open pane, headed by the nearest heading, and
// the sections of the sidebar. Row ids are "row." and the row's position in the pane, section ids
// "section." and the section's position, both counted from 0.
// Reads block and run off the main thread. Holds a reference to the seam, which must outlive it;
// safe for concurrent use when the seam is.
class SettingsReader {
 public:
  struct Options {
    std::chrono::duration<double> messagingTimeout{0.5};
    // Longer labels (in characters) are not rows.
    std::size_t labelLimit = 80;
  };

  static constexpr std::string_view systemSettingsID = "com.apple.systempreferences";
  // An application's settings command as the menu reader renders its shortcut.
  static constexpr std::string_view settingsShortcut = "\u2318,";
  // How long a pane must read the same before it counts as loaded.
  static constexpr std::chrono::milliseconds loadSettleTime{1200};

  explicit SettingsReader(platform::Accessibility& accessibility)
      : SettingsReader(accessibility, Options{}) {}
  SettingsReader(platform::Accessibility& accessibility, Options options);

  // The window of process `pid`: the focused one, else the main one, else the first.
  std::optional<platform::AXElement> window(platform::ProcessID pid) const;
  std::optional<std::string> windowTitle(platform::ProcessID pid) const;
  std::optional<std::int64_t> windowToken(platform::ProcessID pid) const;
  // The pane of the window of `pid`; none without a window.
  std::optional<SettingsPane> openPane(platform::ProcessID pid) const;
  // The sidebar of the window of `pid`; none without a window, no sections without a split group.
  std::optional<SettingsSidebar> sidebar(platform::ProcessID pid) const;

  // Whether a pane has finished loading, from two readings of its row labels: they must be
  // non-empty and equal, and then either the window title changed since the pane was asked for,
  // or `settle` has passed.
  static bool isLoaded(std::span<const std::string> rows,
                       const std::optional<std::vector<std::string>>& previousRows, bool titleChanged,
                       std::chrono::nanoseconds elapsed, std::chrono::nanoseconds settle = loadSettleTime);
  // Whether the window in front after a settings command ran is a settings window: it has
  // sections, and it is new or its title is one of them.
  static bool isSettingsWindow(bool isNew, std::string_view title, std::span<const Command> sections);
  // An accessibility frame (origin at the top left of the main display) in the window system's
  // coordinates (origin at the bottom left).
  static platform::Rect appKitFrame(const platform::Rect& frame, double mainDisplayHeight);

 private:
  platform::Accessibility& accessibility_;
  Options options_;
};

}  // namespace quillo::core

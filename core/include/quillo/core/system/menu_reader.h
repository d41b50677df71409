#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/platform/accessibility.h"

namespace quillo::core {

// Turns the menu bar of a running application into menu commands: every enabled leaf item, with
// its path, keyboard shortcut and live element, so that running the command presses the item.
// Reading blocks for one round trip per item and runs off the main thread. Holds a reference to
// the seam, which must outlive it; safe for concurrent use when the seam is.
class MenuReader {
 public:
  struct Options {
    // Caps how long an application that does not answer can hold up one read.
    std::chrono::duration<double> messagingTimeout{0.5};
  };

  // Submenus with these titles are never entered.
  static constexpr std::array<std::string_view, 1> skippedSubmenus{"Services"};

  explicit MenuReader(platform::Accessibility& accessibility) : MenuReader(accessibility, Options{}) {}
  MenuReader(platform::Accessibility& accessibility, Options options);

  // Whether this process may read other applications, without asking the user.
  bool hasPermission() const;
  // Asks the system to prompt the user for permission; whether it is granted now.
  bool requestPermission() const;

  // The menu commands of process `pid`, whose bundle identifier is `appID`, in menu order. Every
  // failure reads as fewer commands; without permission there are none.
  std::vector<Command> commands(platform::ProcessID pid, std::string_view appID) const;

  // The shortcut as the menu shows it ("⇧⌘N"), from the item's command character and modifier
  // mask; none without a character.
  static std::optional<std::string> shortcut(std::optional<std::string_view> character,
                                             std::optional<int> modifiers);

 private:
  platform::Accessibility& accessibility_;
  Options options_;
};

}  // namespace quillo::core

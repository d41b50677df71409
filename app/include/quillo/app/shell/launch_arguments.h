#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/instance_channel.h"

namespace quillo::app {

// What the program was started to do. A flag counts wherever it stands; a value is the argument
// right after its flag, and there is none when the flag is last.
struct LaunchArguments {
  bool show = false;                   // --show
  bool clipboard = false;              // --clipboard
  bool welcome = false;                // --welcome
  bool toggle = false;                 // --toggle: what the launcher shortcut does, for desktop key bindings
  bool settings = false;               // --settings: opens the settings window (the desktop file's action)
  std::optional<std::string> query{};  // --query TEXT
  std::optional<std::filesystem::path> snapshotDirectory{};  // --snapshot FOLDER

  // The arguments after the program's name.
  static LaunchArguments parse(const std::vector<std::string>& arguments);

  // What a later start asks the running instance to do, in the order the instance does it at start.
  std::vector<platform::InstanceRequest> requests(const std::optional<std::string>& activationToken) const;

  bool operator==(const LaunchArguments&) const = default;
};

}  // namespace quillo::app

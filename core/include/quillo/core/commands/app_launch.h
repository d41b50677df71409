#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quillo/core/commands/command.h"

namespace quillo::core {

// What opening an application command asks of the workspace: the application (a bundle path,
// or the path of a desktop entry) and, for one of a desktop entry's own actions, that action.
struct AppLaunch {
  std::string application;
  std::optional<std::string> action;
  bool operator==(const AppLaunch&) const = default;
};

// The target of an application command for `path`, or for its action `action` when given: the
// action rides in the URL's fragment, so the command stays an application command.
target::App appTarget(std::string_view path, std::optional<std::string_view> action = std::nullopt);

// The launch an application target asks for; none when its URL is not a file URL.
std::optional<AppLaunch> appLaunch(const target::App& app);

}  // namespace quillo::core

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "quillo/core/ranking/semantic_result.h"

namespace quillo::app {

// The ranking service's state for the current query.
namespace ravo {
// Not asked; the reason is shown as the service state.
struct Off {
  std::string reason;
  bool operator==(const Off&) const = default;
};
// The service's answer; `cached` when it came from the answer cache.
struct Answered {
  core::SemanticResult result;
  bool cached = false;
  bool operator==(const Answered&) const = default;
};
struct Failed {
  std::string message;
  bool operator==(const Failed&) const = default;
};
// Nothing to ask.
struct Idle {
  bool operator==(const Idle&) const = default;
};
// A request is pending.
struct Waiting {
  bool operator==(const Waiting&) const = default;
};
}  // namespace ravo

using RavoState = std::variant<ravo::Off, ravo::Answered, ravo::Failed, ravo::Idle, ravo::Waiting>;

// "off", "answered", "failed", "idle" or "waiting".
std::string_view stateName(const RavoState& state);

// Whether the menus of the front application can be searched.
namespace menu {
struct Ready {
  std::size_t count = 0;
  bool operator==(const Ready&) const = default;
};
// No application to read from.
struct Unavailable {
  bool operator==(const Unavailable&) const = default;
};
// Accessibility access is missing.
struct NeedsPermission {
  bool operator==(const NeedsPermission&) const = default;
};
struct Reading {
  bool operator==(const Reading&) const = default;
};
}  // namespace menu

using MenuState = std::variant<menu::Ready, menu::Unavailable, menu::NeedsPermission, menu::Reading>;

// "ready", "unavailable", "needsPermission" or "reading".
std::string_view stateName(const MenuState& state);

// What the panel shows in place of an empty list.
enum class LauncherFeedback { permission, fileSetup, fileAccess, fileSearch, noMatches };

std::string_view rawValue(LauncherFeedback feedback);

}  // namespace quillo::app

#include "quillo/app/search_states.h"

#include <array>

#include "quillo/base/enum_names.h"

namespace quillo::app {
namespace {

constexpr std::array<std::string_view, 5> kRavoNames{"off", "answered", "failed", "idle", "waiting"};
constexpr std::array<std::string_view, 4> kMenuNames{"ready", "unavailable", "needsPermission", "reading"};

constexpr base::EnumNames<LauncherFeedback, 5> kFeedback({{
    {LauncherFeedback::permission, "permission"},
    {LauncherFeedback::fileSetup, "fileSetup"},
    {LauncherFeedback::fileAccess, "fileAccess"},
    {LauncherFeedback::fileSearch, "fileSearch"},
    {LauncherFeedback::noMatches, "noMatches"},
}});

}  // namespace

std::string_view stateName(const RavoState& state) {
  return kRavoNames.at(state.index());
}

std::string_view stateName(const MenuState& state) {
  return kMenuNames.at(state.index());
}

std::string_view rawValue(LauncherFeedback feedback) {
  return kFeedback.name(feedback);
}

}  // namespace quillo::app

#include "quillo/core/actions/action_definition.h"

#include "quillo/base/enum_names.h"

namespace quillo::core {
namespace {

constexpr base::EnumNames<VolumeChannel, 3> kChannels({{
    {VolumeChannel::output, "output"},
    {VolumeChannel::alert, "alert"},
    {VolumeChannel::input, "input"},
}});

constexpr base::EnumNames<ScreenshotMode, 3> kModes({{
    {ScreenshotMode::selection, "selection"},
    {ScreenshotMode::window, "window"},
    {ScreenshotMode::screen, "screen"},
}});

}  // namespace

std::string_view rawValue(VolumeChannel channel) {
  return kChannels.name(channel);
}
std::optional<VolumeChannel> volumeChannelFromRaw(std::string_view name) {
  return kChannels.value(name);
}
std::string_view rawValue(ScreenshotMode mode) {
  return kModes.name(mode);
}
std::optional<ScreenshotMode> screenshotModeFromRaw(std::string_view name) {
  return kModes.value(name);
}

}  // namespace quillo::core

#include "quillo/core/actions/process_call.h"

#include <cmath>

#include "quillo/core/actions/action_bounds.h"

namespace quillo::core {
namespace {

std::optional<ProcessCall> volumeCall(const invocation::SetVolume& volume) {
  if (!ActionBounds::volumePercent.contains(volume.percent)) return std::nullopt;
  std::string script =
      "set volume " + std::string(rawValue(volume.channel)) + " volume " + std::to_string(volume.percent);
  // Raising the output volume should also be heard: unmute it, but leave a volume of 0 alone.
  if (volume.channel == VolumeChannel::output && volume.percent != 0) script += " without output muted";
  return ProcessCall{"/usr/bin/osascript", {"-e", std::move(script)}};
}

std::optional<ProcessCall> keepAwakeCall(const invocation::KeepAwake& awake, base::Date now) {
  const long long seconds = std::visit(
      [now](const auto& end) -> long long {
        if constexpr (std::is_same_v<std::decay_t<decltype(end)>, invocation::After>) {
          return end.seconds;
        } else {
          return static_cast<long long>(std::ceil(end.date.secondsSince1970 - now.secondsSince1970));
        }
      },
      awake.end);
  if (seconds < 1 || seconds > ActionBounds::keepAwakeSeconds.highest) return std::nullopt;
  ProcessCall call{"/usr/bin/caffeinate", {}};
  if (awake.scope == AwakeScope::macAndDisplay) call.arguments.push_back("-d");
  call.arguments.insert(call.arguments.end(), {"-i", "-t", std::to_string(seconds)});
  return call;
}

std::optional<ProcessCall> screenshotCall(const invocation::Screenshot& shot) {
  if (shot.delaySeconds < 0 || shot.delaySeconds > ActionBounds::screenshotDelaySeconds.highest)
    return std::nullopt;
  ProcessCall call{"/usr/sbin/screencapture", {}};
  if (shot.delaySeconds > 0)
    call.arguments.insert(call.arguments.end(), {"-T", std::to_string(shot.delaySeconds)});
  switch (shot.mode) {
    case ScreenshotMode::selection:
      call.arguments.push_back("-i");
      break;
    case ScreenshotMode::window:
      call.arguments.insert(call.arguments.end(), {"-i", "-w"});
      break;
    case ScreenshotMode::screen:
      call.arguments.push_back("-m");
      break;
  }
  call.arguments.push_back(shot.destination == ScreenshotDestination::clipboard ? "-c" : "-p");
  return call;
}

}  // namespace

std::optional<ProcessCall> processCall(const ActionInvocation& invocation, base::Date now) {
  return std::visit(
      [now](const auto& value) -> std::optional<ProcessCall> {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, invocation::SetVolume>) return volumeCall(value);
        if constexpr (std::is_same_v<Value, invocation::KeepAwake>) return keepAwakeCall(value, now);
        if constexpr (std::is_same_v<Value, invocation::Screenshot>) return screenshotCall(value);
        return std::nullopt;  // Apple events are sent, not run as a process
      },
      invocation);
}

}  // namespace quillo::core

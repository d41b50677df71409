#include "linux_process_calls.h"

#include <cmath>

#include "quillo/core/actions/action_bounds.h"

namespace quillo::core::linux_calls {
namespace {

constexpr const char* kShell = "/bin/sh";
constexpr const char* kAppID = "dev.tarnwick.Quillo";

std::string percent(int value) {
  return std::to_string(value) + "%";
}

// Seconds until the end of a keep-awake; the same reading as on the Mac.
long long secondsLeft(const invocation::KeepAwake& awake, base::Date now) {
  if (const auto* after = std::get_if<invocation::After>(&awake.end)) return after->seconds;
  const auto& at = std::get<invocation::At>(awake.end);
  return static_cast<long long>(std::ceil(at.date.secondsSince1970 - now.secondsSince1970));
}

}  // namespace

std::optional<ProcessCall> volume(const LinuxTools& tools, const invocation::SetVolume& volume) {
  if (!ActionBounds::volumePercent.contains(volume.percent)) return std::nullopt;
  if (volume.channel == VolumeChannel::alert) return std::nullopt;  // no separate alert volume
  const bool output = volume.channel == VolumeChannel::output;
  std::string line;
  std::string unmute;
  if (tools.pactl) {
    const std::string tool = shellWord(*tools.pactl);
    const std::string device = output ? "@DEFAULT_SINK@" : "@DEFAULT_SOURCE@";
    line = tool + (output ? " set-sink-volume " : " set-source-volume ") + device + " " +
           percent(volume.percent);
    unmute = tool + " set-sink-mute " + device + " 0";
  } else if (tools.wpctl) {
    const std::string tool = shellWord(*tools.wpctl);
    const std::string device = output ? "@DEFAULT_AUDIO_SINK@" : "@DEFAULT_AUDIO_SOURCE@";
    line = tool + " set-volume " + device + " " + percent(volume.percent);
    unmute = tool + " set-mute " + device + " 0";
  } else {
    return std::nullopt;
  }
  // Raising the output volume should also be heard: unmute it, but leave a volume of 0 alone.
  if (output && volume.percent != 0) line += " && " + unmute;
  return ProcessCall{kShell, {"-c", std::move(line)}};
}

std::optional<ProcessCall> keepAwake(const LinuxTools& tools, const invocation::KeepAwake& awake,
                                     base::Date now) {
  const long long seconds = secondsLeft(awake, now);
  if (seconds < 1 || seconds > ActionBounds::keepAwakeSeconds.highest || !tools.sleep) return std::nullopt;
  const bool display = awake.scope == AwakeScope::macAndDisplay;
  // GNOME ignores logind's idle inhibitors; its session manager has its own.
  if (tools.session.desktop == LinuxDesktop::gnome && tools.gnomeSessionInhibit) {
    return ProcessCall{*tools.gnomeSessionInhibit,
                       {"--app-id", kAppID, "--reason", "Keep Awake", "--inhibit",
                        display ? "idle:suspend" : "suspend", *tools.sleep, std::to_string(seconds)}};
  }
  if (!tools.systemdInhibit) return std::nullopt;
  return ProcessCall{*tools.systemdInhibit,
                     {display ? "--what=idle:sleep" : "--what=sleep", "--who=Quillo", "--why=Keep Awake",
                      "--mode=block", *tools.sleep, std::to_string(seconds)}};
}

std::optional<ProcessCall> screenshot(const LinuxTools& tools, const invocation::Screenshot& shot) {
  if (shot.delaySeconds < 0 || shot.delaySeconds > ActionBounds::screenshotDelaySeconds.highest)
    return std::nullopt;
  const bool kde = tools.session.desktop == LinuxDesktop::kde;
  const bool clipboard = shot.destination == ScreenshotDestination::clipboard;
  if (tools.spectacle && (kde || !tools.gnomeScreenshot)) {
    // In the background spectacle saves where screenshots go, or copies with -c.
    ProcessCall call{*tools.spectacle, {"-b", "-n"}};
    switch (shot.mode) {
      case ScreenshotMode::selection:
        call.arguments.push_back("-r");
        break;
      case ScreenshotMode::window:
        call.arguments.push_back("-u");
        break;
      case ScreenshotMode::screen:
        call.arguments.push_back("-m");
        break;
    }
    if (clipboard) call.arguments.push_back("-c");
    if (shot.delaySeconds > 0)
      call.arguments.insert(call.arguments.end(), {"-d", std::to_string(shot.delaySeconds * 1000)});
    return call;
  }
  if (!tools.gnomeScreenshot) return std::nullopt;
  ProcessCall call{*tools.gnomeScreenshot, {}};
  if (shot.mode == ScreenshotMode::selection) call.arguments.push_back("-a");
  if (shot.mode == ScreenshotMode::window) call.arguments.push_back("-w");
  if (clipboard) call.arguments.push_back("-c");
  if (shot.delaySeconds > 0)
    call.arguments.insert(call.arguments.end(), {"-d", std::to_string(shot.delaySeconds)});
  return call;
}

}  // namespace quillo::core::linux_calls

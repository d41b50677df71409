#include <array>
#include <optional>
#include <string>

#include "quillo/core/index/catalog.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::core::Catalog {
namespace {

using Line = std::optional<std::string>;

// `tool` and its arguments as a shell line; none without the tool.
Line line(const std::optional<std::string>& tool, std::string_view arguments) {
  if (!tool) return std::nullopt;
  return shellWord(*tool) + " " + std::string(arguments);
}

Line lockScreen(const LinuxTools& tools) {
  return line(tools.loginctl, "lock-session");
}

Line sleep(const LinuxTools& tools) {
  return line(tools.systemctl, "suspend");
}

// The desktop's own call first; X11's DPMS where the session is X11.
Line displayOff(const LinuxTools& tools) {
  if (tools.session.desktop == LinuxDesktop::gnome && tools.gdbus) {
    return line(
        tools.gdbus,
        "call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig "
        "--method org.freedesktop.DBus.Properties.Set org.gnome.Mutter.DisplayConfig PowerSaveMode "
        "'<int32 3>'");
  }
  if (tools.session.desktop == LinuxDesktop::kde && tools.kscreenDoctor)
    return line(tools.kscreenDoctor, "--dpms off");
  if (!tools.session.wayland) return line(tools.xset, "dpms force off");
  return std::nullopt;
}

Line screenSaver(const LinuxTools& tools) {
  if (tools.session.desktop == LinuxDesktop::gnome && tools.gdbus) {
    return line(tools.gdbus,
                "call --session --dest org.gnome.ScreenSaver --object-path /org/gnome/ScreenSaver --method "
                "org.gnome.ScreenSaver.SetActive true");
  }
  if (tools.session.desktop == LinuxDesktop::kde && tools.gdbus) {
    return line(tools.gdbus,
                "call --session --dest org.freedesktop.ScreenSaver --object-path /ScreenSaver --method "
                "org.freedesktop.ScreenSaver.SetActive true");
  }
  return line(tools.xdgScreensaver, "activate");
}

Line toggleMute(const LinuxTools& tools) {
  if (tools.pactl) return line(tools.pactl, "set-sink-mute @DEFAULT_SINK@ toggle");
  return line(tools.wpctl, "set-mute @DEFAULT_AUDIO_SINK@ toggle");
}

Line shellLine(std::string_view id, const LinuxTools& tools) {
  if (id == "action.Lock Screen") return lockScreen(tools);
  if (id == "action.Turn Display Off") return displayOff(tools);
  if (id == "action.Sleep") return sleep(tools);
  if (id == "action.Start Screen Saver") return screenSaver(tools);
  if (id == "action.Toggle Mute") return toggleMute(tools);
  return std::nullopt;
}

std::optional<std::string> folder(std::string_view id, const UserFolders& folders) {
  if (id == "action.Open Downloads") return folders.downloads;
  if (id == "action.Open Documents") return folders.documents;
  if (id == "action.Open Desktop Folder") return folders.desktop;
  if (id == "action.Open Home Folder") return folders.home;
  return std::nullopt;
}

// The texts of the actions that name the Mac, by id: their title (when it names it) and hint.
struct Wording {
  std::string_view id;
  std::optional<PlatformText> title;
  PlatformText hint;
};

constexpr std::array<Wording, 6> kWordings{{
    {"action.Lock Screen", std::nullopt, PlatformText::lockScreenHint},
    {"action.Turn Display Off", std::nullopt, PlatformText::displayOffHint},
    {"action.Sleep", std::nullopt, PlatformText::sleepHint},
    {"action.Keep Awake", std::nullopt, PlatformText::keepAwakeHint},
    {"action.Keep Mac Awake, Let Display Sleep", PlatformText::keepSystemAwakeTitle,
     PlatformText::keepSystemAwakeHint},
    {"action.Stop Keeping Awake", std::nullopt, PlatformText::stopKeepingAwakeHint},
}};

// This computer's words where the Mac's name it; the id stays, so usage counts carry over.
Command inLinuxWords(Command command) {
  for (const Wording& wording : kWordings) {
    if (wording.id != command.id) continue;
    if (wording.title) command.title = std::string(platformText(*wording.title, false));
    command.hint = std::string(platformText(wording.hint, false));
  }
  return command;
}

// The command as this machine runs it; none when it cannot.
std::optional<Command> onLinux(Command command, const LinuxTools& tools, const ProcessCalls& calls,
                               const UserFolders& folders) {
  command = inLinuxWords(std::move(command));
  if (const ActionDefinition* definition = command.definition()) {
    if (!calls.offers(*definition)) return std::nullopt;
    return command;
  }
  if (std::holds_alternative<target::StopKeepingAwake>(command.target)) return command;
  if (std::holds_alternative<target::OpenUrl>(command.target)) {
    const auto path = folder(command.id, folders);
    if (!path) return std::nullopt;  // the applications folder
    command.target = target::OpenUrl{base::Url::file(*path)};
    return command;
  }
  const Line commandLine = shellLine(command.id, tools);
  if (!commandLine) return std::nullopt;
  command.target = target::Shell{*commandLine};
  return command;
}

}  // namespace

UserFolders UserFolders::inHome(std::string_view home) {
  const std::string base(home);
  const std::string prefix = base.ends_with('/') ? base : base + "/";
  return {.home = base,
          .desktop = prefix + "Desktop",
          .documents = prefix + "Documents",
          .downloads = prefix + "Downloads"};
}

std::vector<Command> linuxActionsTable(const LinuxTools& tools, const ProcessCalls& calls,
                                       const UserFolders& folders) {
  std::vector<Command> offered;
  for (Command& command : actionsTable(folders.home)) {
    if (auto here = onLinux(std::move(command), tools, calls, folders)) offered.push_back(std::move(*here));
  }
  return offered;
}

}  // namespace quillo::core::Catalog

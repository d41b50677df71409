#include <string>

#include "quillo/core/index/catalog.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::core::Catalog {
namespace {

// The Mac's wording of a text that names the computer.
std::string mac(PlatformText text) {
  return std::string(platformText(text, true));
}

Command action(std::string title, std::string hint, Command::Target target) {
  std::string id = "action." + title;
  return Command(std::move(id), std::move(title), Command::Kind::action, std::move(hint), "", "",
                 std::move(target));
}

Command definitionAction(std::string title, std::string hint, ActionDefinition definition) {
  return action(std::move(title), std::move(hint), target::Definition{std::move(definition)});
}

Command shellAction(std::string title, std::string hint, std::string commandLine) {
  return action(std::move(title), std::move(hint), target::Shell{std::move(commandLine)});
}

Command folderAction(std::string title, std::string hint, const std::string& folder) {
  return action(std::move(title), std::move(hint), target::OpenUrl{base::Url::file(folder)});
}

}  // namespace

std::vector<Command> actionsTable(std::string_view homeFolder) {
  using definition::KeepAwake;
  using definition::Screenshot;
  using definition::SetVolume;
  using Mode = ScreenshotMode;
  using Destination = ScreenshotDestination;
  const std::string home(homeFolder);
  const std::string homePrefix = home.ends_with('/') ? home : home + "/";

  std::vector<Command> commands{
      action("Lock Screen", mac(PlatformText::lockScreenHint), target::LockScreen{}),
      shellAction("Turn Display Off", mac(PlatformText::displayOffHint), "pmset displaysleepnow"),
      shellAction("Sleep", mac(PlatformText::sleepHint), "pmset sleepnow"),
      shellAction("Start Screen Saver", "Show the screen saver now", "open -a ScreenSaverEngine"),
      shellAction("Toggle Mute", "Mute or unmute the sound output",
                  "osascript -e 'set volume output muted not (output muted of (get volume settings))'"),
      definitionAction("Keep Awake", mac(PlatformText::keepAwakeHint), KeepAwake{AwakeScope::macAndDisplay}),
      definitionAction(mac(PlatformText::keepSystemAwakeTitle), mac(PlatformText::keepSystemAwakeHint),
                       KeepAwake{AwakeScope::mac}),
      action("Stop Keeping Awake", mac(PlatformText::stopKeepingAwakeHint), target::StopKeepingAwake{}),
      definitionAction("Set Volume",
                       "Set the sound output volume to a percentage, to make the sound louder or quieter",
                       SetVolume{VolumeChannel::output}),
      definitionAction("Set Alert Volume", "Set the volume of the alert sounds and the beeps to a percentage",
                       SetVolume{VolumeChannel::alert}),
      definitionAction("Set Input Volume",
                       "Set the microphone input level to a percentage, to make the voice louder or quieter",
                       SetVolume{VolumeChannel::input}),
      definitionAction(
          "Screenshot Selection to Clipboard",
          "Drag to capture a part of the screen and copy the picture, now or after a delay of some "
          "seconds",
          Screenshot{Mode::selection, Destination::clipboard}),
      definitionAction(
          "Screenshot Window to Clipboard",
          "Click a window to capture it and copy the picture, now or after a delay of some seconds",
          Screenshot{Mode::window, Destination::clipboard}),
      definitionAction(
          "Screenshot Screen to Clipboard",
          "Capture the whole main display and copy the picture, now or after a delay of some seconds",
          Screenshot{Mode::screen, Destination::clipboard}),
      definitionAction(
          "Save Screenshot of Selection",
          "Drag to capture a part of the screen and save the picture where screenshots go, now or "
          "after a delay of some seconds",
          Screenshot{Mode::selection, Destination::file}),
      definitionAction(
          "Save Screenshot of Window",
          "Click a window to capture it and save the picture where screenshots go, now or after a "
          "delay of some seconds",
          Screenshot{Mode::window, Destination::file}),
      definitionAction(
          "Save Screenshot of Screen",
          "Capture the whole main display and save the picture where screenshots go, now or after a "
          "delay of some seconds",
          Screenshot{Mode::screen, Destination::file}),
      folderAction("Open Downloads", "The folder with downloaded files", homePrefix + "Downloads"),
      folderAction("Open Documents", "The Documents folder", homePrefix + "Documents"),
      folderAction("Open Desktop Folder", "The files on the desktop", homePrefix + "Desktop"),
      folderAction("Open Home Folder", "The user's home folder", home),
  };
  // The one id that does not repeat its title.
  Command applications =
      folderAction("Open Applications Folder", "The folder with all installed apps", "/Applications");
  applications.id = "action.applications";
  commands.push_back(std::move(applications));
  return commands;
}

const std::vector<Command>& actions(const platform::System& system) {
  static const std::vector<Command> table = actionsTable(system.homeFolder());
  return table;
}

}  // namespace quillo::core::Catalog

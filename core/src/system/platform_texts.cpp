#include "quillo/core/system/platform_texts.h"

namespace quillo::core {
namespace {

struct Wording {
  std::string_view macOS;
  std::string_view other;
};

Wording wording(PlatformText text) {
  switch (text) {
    case PlatformText::switchAndPaste:
      return {"Copied. Switch to the destination app and press Cmd-V.",
              "Copied. Switch to the destination app and press Ctrl-V."};
    case PlatformText::enableAutomaticPaste:
      return {"Copied. Enable Quillo in Accessibility settings for automatic paste, or paste with ",
              "Copied. Automatic paste is not available in this session; paste with "};
    case PlatformText::destinationChangedBeforePaste:
      return {"Copied. The destination app changed; use Cmd-V where you want to paste.",
              "Copied. The destination app changed; use Ctrl-V where you want to paste."};
    case PlatformText::destinationChangedDuringPaste:
      return {"Copied. The destination app changed; paste with Cmd-V.",
              "Copied. The destination app changed; paste with Ctrl-V."};
    case PlatformText::unavailableFile:
      return {"An original file moved, was deleted, or is unavailable. Copy it again from Finder.",
              "An original file moved, was deleted, or is unavailable. Copy it again from the file manager."};
    case PlatformText::filesStayLocal:
      return {"file names stay on this Mac", "file names stay on this computer"};
    case PlatformText::previewTitle:
      return {"Quick Look", "Preview"};
    case PlatformText::lockScreenHint:
      return {"Lock the Mac now and show the login window, so that a password is needed to come back",
              "Lock the computer now and show the login screen, so that a password is needed to come back"};
    case PlatformText::displayOffHint:
      return {"Turn the screen off now. Locks the Mac when a password is required after sleep",
              "Turn the screen off now. Locks the computer when a password is required after sleep"};
    case PlatformText::sleepHint:
      return {"Put the Mac to sleep now", "Put the computer to sleep now"};
    case PlatformText::keepAwakeHint:
      return {
          "Stop the Mac and the display from sleeping, for a duration or until a clock time, for a "
          "presentation or a video",
          "Stop the computer and the display from sleeping, for a duration or until a clock time, for a "
          "presentation or a video"};
    case PlatformText::keepSystemAwakeTitle:
      return {"Keep Mac Awake, Let Display Sleep", "Keep Computer Awake, Let Display Sleep"};
    case PlatformText::keepSystemAwakeHint:
      return {
          "Stop the Mac from sleeping and let the screen turn off, for a duration or until a clock "
          "time, for a long download or a backup",
          "Stop the computer from sleeping and let the screen turn off, for a duration or until a clock "
          "time, for a long download or a backup"};
    case PlatformText::stopKeepingAwakeHint:
      return {"Let the Mac sleep again", "Let the computer sleep again"};
  }
  return {};
}

}  // namespace

std::string_view platformText(PlatformText text, bool macOS) {
  const Wording words = wording(text);
  return macOS ? words.macOS : words.other;
}

std::string_view platformText(PlatformText text, const platform::System& system) {
  return platformText(text, system.isMacOS());
}

}  // namespace quillo::core

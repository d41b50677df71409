#pragma once

#include <cstdint>
#include <string_view>

#include "quillo/platform/system.h"

namespace quillo::core {

// Texts that name something only macOS has (Cmd-V, its Accessibility settings, Finder), each
// with its wording for other systems. One table, so that every message says the same.
enum class PlatformText : std::uint8_t {
  // "Copied. Switch to the destination app and press Cmd-V."
  switchAndPaste,
  // The start of the message when key presses may not be posted; the paste key and "." follow.
  enableAutomaticPaste,
  // "Copied. The destination app changed; use Cmd-V where you want to paste."
  destinationChangedBeforePaste,
  // "Copied. The destination app changed; paste with Cmd-V."
  destinationChangedDuringPaste,
  // A copied file is gone: "... Copy it again from Finder."
  unavailableFile,
  // Why file searches are not ranked by the service: "file names stay on this Mac".
  filesStayLocal,
  // The clipboard history's preview action: "Quick Look".
  previewTitle,
  // The hints of the actions that name the computer ("Lock the Mac now ..."), and the one title.
  lockScreenHint,
  displayOffHint,
  sleepHint,
  keepAwakeHint,
  keepSystemAwakeTitle,
  keepSystemAwakeHint,
  stopKeepingAwakeHint,
};

// The text for the running system: macOS wording there, Linux wording elsewhere.
std::string_view platformText(PlatformText text, const platform::System& system);
std::string_view platformText(PlatformText text, bool macOS);

}  // namespace quillo::core

#pragma once

#include <functional>
#include <optional>
#include <string>

#include "quillo/clipboard/clipboard_payload.h"
#include "quillo/platform/key_events.h"
#include "quillo/platform/pasteboard.h"
#include "quillo/platform/system.h"
#include "quillo/platform/workspace.h"

namespace quillo::app {

// Which paste the target gets: the application's own paste, or the terminal's control paste
// that hands images to the program running in it.
enum class PasteFlags { command, control };

// Whether the application is a terminal, by its id or, failing that, its window class.
bool isTerminal(const platform::FrontApplication& application);

// Control for a payload of images only pasted into a terminal; Command otherwise.
PasteFlags pasteFlags(const clipboard::ClipboardPayload& payload, const platform::FrontApplication& target);

// Puts chosen content on the pasteboard and, where the session allows, pastes it into the
// application that was in front before the history window opened. Failures are messages, never
// errors: whenever a message starts with "Copied." the content is on the pasteboard.
// Main thread only; everything it is given must outlive it.
class ClipboardPasteService {
 public:
  struct Services {
    platform::Pasteboard& board;
    platform::KeyEvents& keys;
    platform::Workspace& workspace;
    const platform::System& system;
  };
  // This application's own id: a paste into it is left to the user.
  ClipboardPasteService(Services services, std::string ownApplicationID = "dev.tarnwick.Quillo");

  // Replaces the pasteboard's content with the payload, every item marked as ours so that the
  // history does not record it again. A payload of files needs every file to exist; false (and
  // the pasteboard untouched) when one is gone.
  bool copy(const clipboard::ClipboardPayload& payload);

  // The key press that pastes the payload into the target, as this system types it.
  platform::KeyStroke keyStroke(const clipboard::ClipboardPayload& payload,
                                const platform::FrontApplication& target) const;
  // Its label: "Cmd-V" or "Ctrl-V" on macOS; "Ctrl+V" or "Ctrl+Shift+V" elsewhere.
  std::string keyLabel(const clipboard::ClipboardPayload& payload,
                       const platform::FrontApplication& target) const;

  // Hides the window and brings the target back, then calls its argument with whether the
  // window was opened again meanwhile.
  using Dismiss = std::function<void(std::function<void(bool reopened)>)>;
  // Copies, then pastes into the target; `done` gets none on success or the message to show.
  void paste(const clipboard::ClipboardPayload& payload,
             const std::optional<platform::FrontApplication>& target, const Dismiss& dismiss,
             std::function<void(std::optional<std::string>)> done);

 private:
  bool isRunning(const platform::FrontApplication& application);
  bool isFront(const platform::FrontApplication& application);

  Services services_;
  std::string ownApplicationID_;
};

}  // namespace quillo::app

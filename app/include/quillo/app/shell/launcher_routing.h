#pragma once

#include <functional>

#include "quillo/app/shell/key_event.h"

namespace quillo::app {

// The search field of the panel at the moment a key arrives.
struct SearchFieldState {
  // The field's editor has the keyboard focus.
  bool isFirstResponder = false;
  bool isEmpty = true;
  bool hasSelectedText = false;
  // An input method is composing text in the field.
  bool isComposing = false;
  // The field is the one of this panel (not of a sheet or another window).
  bool belongsToPanel = true;
};

struct LauncherPanelState {
  // True while the panel's content takes the routed keys (the launcher's and the clipboard
  // history's alike: each callback acts on the content shown); when false every event gets the
  // normal handling.
  bool routesLauncherEvents = true;
  // A folder-access dialog is up: no routing.
  bool isRequestingFileAccess = false;
  // Inside Quillo's windows on Linux, Ctrl plays the part of Command (Ctrl+C copies); Control-N
  // and Control-P stay Ctrl+N and Ctrl+P.
  bool commandIsControl = false;
};

// What the owner connects the panel's keys to. Each returns true when it acted; a missing one acts
// on nothing.
struct LauncherPanelCallbacks {
  std::function<bool()> onEmptyFieldBackspace{};
  std::function<bool()> onCopySelectedClipboard{};
  std::function<bool()> onCopySelectedFile{};
  std::function<bool()> onCopySelectedFilePath{};
  std::function<bool(const KeyEvent&)> onClipboardKey{};
  std::function<bool()> onFileReturn{};
  std::function<bool()> onShowFileInFinder{};
  // Moves the selection while a file preview is shown.
  std::function<bool(int delta)> onPreviewMove{};
  // Runs the previewed item.
  std::function<bool()> onPreviewRun{};
};

enum class Routing {
  // A callback took the event: the field never sees it (arrows and Space leave the caret alone).
  consumed,
  // The window handles the event as usual.
  normal,
};

// Where the panel sends a key event, in a fixed order: Backspace in an empty field, the file copy
// shortcuts, the clipboard content, the file result keys, then the window.
Routing routeLauncherKey(const KeyEvent& event, const SearchFieldState& field,
                         const LauncherPanelState& panel, const LauncherPanelCallbacks& callbacks);

}  // namespace quillo::app

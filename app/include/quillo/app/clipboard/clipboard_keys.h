#pragma once

#include <optional>
#include <variant>

#include "quillo/app/clipboard/clipboard_actions.h"
#include "quillo/app/shell/key_event.h"

namespace quillo::app {

class ClipboardModel;

// What a key does in the clipboard history.
namespace clipboard_key {
// Return: pastes in paste mode, copies in browse mode.
struct Primary {
  bool operator==(const Primary&) const = default;
};
// Moves the focus through the list by `delta` rows.
struct MoveFocus {
  int delta = 0;
  bool operator==(const MoveFocus&) const = default;
};
// Moves the focus and selects every row from where the extension started to it.
struct ExtendSelection {
  int delta = 0;
  bool operator==(const ExtendSelection&) const = default;
};
// Adds the focused entry to the selection, or takes it out.
struct ToggleSelection {
  bool operator==(const ToggleSelection&) const = default;
};
struct NextFilter {
  bool operator==(const NextFilter&) const = default;
};
struct PreviousFilter {
  bool operator==(const PreviousFilter&) const = default;
};
// Closes what is open over the list (rename, cleaned text, preview); the window closes otherwise.
struct Escape {
  bool operator==(const Escape&) const = default;
};
}  // namespace clipboard_key

using ClipboardKey =
    std::variant<ClipboardAction, clipboard_key::Primary, clipboard_key::MoveFocus,
                 clipboard_key::ExtendSelection, clipboard_key::ToggleSelection, clipboard_key::NextFilter,
                 clipboard_key::PreviousFilter, clipboard_key::Escape>;

// The history's key for a key press; none for keys that belong to the search field. Command is
// Ctrl when `commandIsControl` (inside Quillo's windows on Linux); Control-N and Control-P then
// have no meaning of their own here, since Ctrl+P pins.
std::optional<ClipboardKey> clipboardKey(const KeyEvent& event, bool commandIsControl);

// Applies the key to the model; false when it did nothing and the window should handle the key
// (Escape with nothing open over the list closes the window).
bool applyClipboardKey(ClipboardModel& model, const ClipboardKey& key);

}  // namespace quillo::app

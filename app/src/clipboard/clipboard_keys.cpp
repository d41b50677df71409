#include "quillo/app/clipboard/clipboard_keys.h"

#include <string_view>

#include "quillo/app/clipboard/clipboard_model.h"

namespace quillo::app {
namespace {

using namespace clipboard_key;

// The modifiers of a key, with Command read the way this window reads it.
struct Held {
  bool command = false;
  bool shift = false;
  bool option = false;
  bool control = false;

  bool operator==(const Held&) const = default;
};

std::optional<Held> held(const KeyModifiers& modifiers, bool commandIsControl) {
  if (!commandIsControl) {
    return Held{.command = modifiers.command,
                .shift = modifiers.shift,
                .option = modifiers.option,
                .control = modifiers.control};
  }
  // Ctrl is Command here; a key with Super belongs to the desktop.
  if (modifiers.command) return std::nullopt;
  return Held{.command = modifiers.control, .shift = modifiers.shift, .option = modifiers.option};
}

constexpr Held kNone{};
constexpr Held kShift{.shift = true};
constexpr Held kOption{.option = true};
constexpr Held kCommand{.command = true};
constexpr Held kCommandShift{.command = true, .shift = true};
constexpr Held kControl{.control = true};

bool isReturn(int keyCode) {
  return keyCode == KeyCode::returnKey || keyCode == KeyCode::keypadEnter;
}

// Rows a page key moves by: the rows the window shows at once.
constexpr int kPage = 8;

std::optional<ClipboardKey> movement(int keyCode, const Held& modifiers) {
  int delta = 0;
  switch (keyCode) {
    case KeyCode::downArrow:
      delta = 1;
      break;
    case KeyCode::upArrow:
      delta = -1;
      break;
    case KeyCode::pageDown:
      delta = kPage;
      break;
    case KeyCode::pageUp:
      delta = -kPage;
      break;
    default:
      return std::nullopt;
  }
  if (modifiers == kNone) return MoveFocus{delta};
  if (modifiers == kShift) return ExtendSelection{delta};
  return std::nullopt;
}

// The Command shortcuts, by the letter the key types so that they follow the keyboard layout.
std::optional<ClipboardAction> commandLetter(std::string_view letter) {
  if (letter == "c") return ClipboardAction::copy;
  if (letter == "y") return ClipboardAction::preview;
  if (letter == "p") return ClipboardAction::pin;
  if (letter == "r") return ClipboardAction::rename;
  if (letter == "t") return ClipboardAction::cleanText;
  if (letter == "s") return ClipboardAction::saveImage;
  return std::nullopt;
}

}  // namespace

std::optional<ClipboardKey> clipboardKey(const KeyEvent& event, bool commandIsControl) {
  if (event.type != KeyEvent::Type::keyDown) return std::nullopt;
  const auto read = held(event.modifiers, commandIsControl);
  if (!read) return std::nullopt;
  const Held modifiers = *read;
  const int key = event.keyCode;
  const std::string_view letter = event.charactersIgnoringModifiers;

  if (isReturn(key)) {
    if (modifiers == kNone) return Primary{};
    if (modifiers == kCommand) return ClipboardAction::copy;
    if (modifiers == kOption) return ClipboardAction::pastePlain;
    return std::nullopt;
  }
  if (auto moved = movement(key, modifiers)) return moved;
  // Control-N and Control-P move as they do in every Mac text field.
  if (modifiers == kControl && letter == "n") return MoveFocus{1};
  if (modifiers == kControl && letter == "p") return MoveFocus{-1};
  if (key == KeyCode::space && modifiers == kShift) return ToggleSelection{};
  if (key == KeyCode::tab && modifiers == kNone) return NextFilter{};
  if (key == KeyCode::tab && modifiers == kShift) return PreviousFilter{};
  if (key == KeyCode::escape && modifiers == kNone) return Escape{};
  if (key == KeyCode::f2 && modifiers == kNone) return ClipboardAction::rename;
  if (key == KeyCode::backspace && modifiers == kCommand) return ClipboardAction::remove;
  if (modifiers == kCommand) return commandLetter(letter);
  if (modifiers == kCommandShift && letter == "v") return ClipboardAction::pastePlain;
  // Command-A stays the field's: it selects the query's text.
  if (modifiers == kCommandShift && letter == "a") return ClipboardAction::selectAll;
  return std::nullopt;
}

bool applyClipboardKey(ClipboardModel& model, const ClipboardKey& key) {
  struct Apply {
    ClipboardModel& model;
    bool operator()(ClipboardAction action) const {
      model.perform(action);
      return true;
    }
    bool operator()(Primary) const {
      model.performPrimary();
      return true;
    }
    bool operator()(MoveFocus move) const {
      model.moveFocus(move.delta);
      return true;
    }
    bool operator()(ExtendSelection extend) const {
      model.extendSelection(extend.delta);
      return true;
    }
    bool operator()(ToggleSelection) const {
      if (const auto focused = model.state().focusedID) model.toggleSelection(*focused);
      return true;
    }
    bool operator()(NextFilter) const {
      model.nextFilter();
      return true;
    }
    bool operator()(PreviousFilter) const {
      model.previousFilter();
      return true;
    }
    bool operator()(Escape) const { return model.closeDetail(); }
  };
  return std::visit(Apply{model}, key);
}

}  // namespace quillo::app

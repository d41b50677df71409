#include <array>
#include <cctype>

#include "quillo/app/clipboard/clipboard_keys.h"

namespace quillo::app {
namespace {

struct ActionKey {
  ClipboardAction action;
  int keyCode;
  char letter;
  bool shift;
};

// Each action's key with Command held (Command is Ctrl in Quillo's windows on Linux); rename is F2
// alone. clipboardKey reads these back: a test holds the two together.
constexpr std::array<ActionKey, 8> kCommandKeys{{
    {ClipboardAction::pastePlain, KeyCode::v, 'v', true},
    {ClipboardAction::copy, KeyCode::c, 'c', false},
    {ClipboardAction::preview, KeyCode::y, 'y', false},
    {ClipboardAction::pin, KeyCode::p, 'p', false},
    {ClipboardAction::cleanText, KeyCode::t, 't', false},
    {ClipboardAction::saveImage, KeyCode::s, 's', false},
    {ClipboardAction::selectAll, KeyCode::a, 'a', true},
    {ClipboardAction::remove, KeyCode::backspace, '\0', false},
}};

KeyEvent commandKey(const ActionKey& key, bool commandIsControl) {
  KeyEvent event{.keyCode = key.keyCode, .modifiers = {}, .charactersIgnoringModifiers = {}};
  event.modifiers.shift = key.shift;
  (commandIsControl ? event.modifiers.control : event.modifiers.command) = true;
  if (key.letter != '\0') event.charactersIgnoringModifiers = std::string(1, key.letter);
  return event;
}

std::string keyName(const KeyEvent& key) {
  switch (key.keyCode) {
    case KeyCode::returnKey:
    case KeyCode::keypadEnter:
      return "Enter";
    case KeyCode::backspace:
      return "Backspace";
    case KeyCode::f2:
      return "F2";
    default:
      break;
  }
  std::string name = key.charactersIgnoringModifiers;
  for (char& character : name)
    character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
  return name;
}

}  // namespace

std::optional<KeyEvent> clipboardActionKey(ClipboardAction action, bool pasteMode, bool commandIsControl) {
  if (action == (pasteMode ? ClipboardAction::paste : ClipboardAction::copy)) {
    return KeyEvent{.keyCode = KeyCode::returnKey, .modifiers = {}, .charactersIgnoringModifiers = "\r"};
  }
  if (action == ClipboardAction::paste) return std::nullopt;
  if (action == ClipboardAction::rename)
    return KeyEvent{.keyCode = KeyCode::f2, .modifiers = {}, .charactersIgnoringModifiers = {}};
  for (const auto& key : kCommandKeys) {
    if (key.action == action) return commandKey(key, commandIsControl);
  }
  return std::nullopt;
}

std::string clipboardKeyLabel(const KeyEvent& key, bool commandIsControl) {
  const KeyModifiers& held = key.modifiers;
  if (commandIsControl) {
    std::string label;
    if (held.control) label += "Ctrl+";
    if (held.option) label += "Alt+";
    if (held.shift) label += "Shift+";
    if (held.command) label += "Super+";
    return label + keyName(key);
  }
  std::string label;
  if (held.control) label += "⌃";
  if (held.option) label += "⌥";
  if (held.shift) label += "⇧";
  if (held.command) label += "⌘";
  const std::string name = keyName(key);
  return label + (name == "Enter" ? "↩" : name == "Backspace" ? "⌫" : name);
}

}  // namespace quillo::app

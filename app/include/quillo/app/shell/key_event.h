#pragma once

#include <string>

namespace quillo::app {

// Mac virtual key codes, which the program's key handling and stored shortcuts are written in; the
// desktop front end translates its keys into them.
namespace KeyCode {
inline constexpr int a = 0;
inline constexpr int s = 1;
inline constexpr int c = 8;
inline constexpr int v = 9;
inline constexpr int r = 15;
inline constexpr int y = 16;
inline constexpr int t = 17;
inline constexpr int p = 35;
inline constexpr int n = 45;
inline constexpr int returnKey = 36;
inline constexpr int tab = 48;
inline constexpr int space = 49;
inline constexpr int backspace = 51;
inline constexpr int escape = 53;
inline constexpr int keypadEnter = 76;
inline constexpr int f1 = 122;
inline constexpr int pageUp = 116;
inline constexpr int f2 = 120;
inline constexpr int pageDown = 121;
inline constexpr int leftArrow = 123;
inline constexpr int rightArrow = 124;
inline constexpr int downArrow = 125;
inline constexpr int upArrow = 126;
}  // namespace KeyCode

// The modifier keys held, by their Mac names. On Linux Command is the Super key; inside Quillo's
// own windows the routing reads Ctrl as Command (see LauncherPanelState::commandIsControl).
struct KeyModifiers {
  bool command = false;
  bool shift = false;
  bool option = false;
  bool control = false;

  bool none() const { return !command && !shift && !option && !control; }
  bool operator==(const KeyModifiers&) const = default;
};

// A key press or release as a window receives it.
struct KeyEvent {
  enum class Type { keyDown, keyUp };

  Type type = Type::keyDown;
  int keyCode = 0;
  KeyModifiers modifiers;
  // The characters the key produces without modifiers ("c" for the C key).
  std::string charactersIgnoringModifiers{};
  // Sent again because the key is held.
  bool isRepeat = false;
};

}  // namespace quillo::app

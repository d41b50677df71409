#pragma once

namespace quillo::platform {

// A key pressed with modifiers, as the user would type it. The key is a letter of the layout in
// use ('v'), found by its meaning rather than its position.
struct KeyStroke {
  char key = 'v';
  bool command = false;
  bool control = false;
  bool option = false;
  bool shift = false;

  bool operator==(const KeyStroke&) const = default;
};

// Synthesised key presses delivered to the application in front, as if typed. Used on the main
// thread only.
class KeyEvents {
 public:
  virtual ~KeyEvents() = default;

  // Whether this session lets the program post key presses into other applications.
  virtual bool isTrusted() = 0;
  // Posts a key-down and a key-up of the stroke; false when the events could not be made or sent.
  virtual bool post(const KeyStroke& stroke) = 0;
};

}  // namespace quillo::platform

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/app/shell/hot_key.h"
#include "quillo/app/shell/key_event.h"
#include "quillo/core/preferences/launcher_shortcut.h"
#include "quillo/core/preferences/quillo_preferences.h"

namespace quillo::app {

// One of the two global shortcuts: keeps its preference registered as a hot key, records a new
// combination from the keyboard in the settings, refuses the other shortcut's combination, and
// falls back to the stored shortcut when a new one cannot be registered. Every failure is told
// through errorMessage. Main thread only; the action is called on the main thread.
class ShortcutController {
 public:
  // Which preference this controller edits.
  enum class Kind { launcher, clipboard };

  struct Hooks {
    // Called when the shortcut is pressed.
    std::function<void()> action{};
    // Called after the shortcut was (re)registered or changed.
    std::function<void()> onChange{};
  };

  // Restores the stored shortcut at once.
  ShortcutController(core::QuilloPreferences& preferences, Kind kind, HotKeyCenter& hotKeys, Hooks hooks);
  // Its hot key calls back into it: it stays where it was made.
  ShortcutController(const ShortcutController&) = delete;
  ShortcutController& operator=(const ShortcutController&) = delete;

  // Registers the stored shortcut; false (with a message) when the desktop refuses it.
  bool restore();
  // Releases the current combination, so that it can be recorded again and does not fire
  // meanwhile, and waits for key presses.
  void beginRecording();
  void stopRecording();
  // A key-down in the settings window while recording. The modifiers are those of the global
  // shortcut (on Linux Command is Super). Returns whether the event was used up; an event of a
  // window that is no longer the key window ends recording, restores the shortcut and passes on.
  bool recordKeyDown(const KeyEvent& event, bool settingsWindowIsKey);
  // Tries a new shortcut.
  void apply(core::LauncherShortcut shortcut);

  bool isRecording() const { return isRecording_; }
  const std::optional<std::string>& errorMessage() const { return errorMessage_; }
  const std::string& label() const { return label_; }
  // The explanation under the control.
  std::string detail() const;
  // Hears of every change of isRecording, errorMessage and label.
  void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  core::LauncherShortcut stored() const;
  core::LauncherShortcut other() const;
  void store(core::LauncherShortcut shortcut);
  // The message of a refused registration: `conflictText`, or how to bind the shortcut in the
  // desktop's settings when the desktop offers no global shortcuts at all.
  std::string refusal(std::string_view conflictText) const;
  std::string noGlobalShortcuts() const;
  bool linuxWords() const;
  void changed();

  core::QuilloPreferences& preferences_;
  Kind kind_;
  HotKeyCenter& center_;
  Hooks hooks_;
  std::optional<HotKey> hotKey_;
  bool isRecording_ = false;
  std::optional<std::string> errorMessage_;
  std::string label_;
  std::function<void()> observer_;
};

// The Carbon mask of held modifiers (command 0x100, shift 0x200, option 0x800, control 0x1000).
int carbonModifiers(const KeyModifiers& held);

}  // namespace quillo::app

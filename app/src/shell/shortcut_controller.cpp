#include "quillo/app/shell/shortcut_controller.h"

#include "quillo/app/shell/shortcut_label.h"

namespace quillo::app {
namespace {

using core::LauncherShortcut;

// The texts of the two desktops: the modifier symbols on macOS, the key words on Linux.
struct Texts {
  std::string_view needsModifier;
  std::string_view recording;
  std::string_view defaultLauncher;
};

constexpr Texts kSymbolTexts{
    "Include Command, Option, or Control in your shortcut.",
    "Press a shortcut with ⌘, ⌥, or ⌃. Escape cancels.\nNothing happening? Another app or macOS may be using "
    "this "
    "shortcut. Try another combination.",
    "Command-Space may be used by Spotlight. Change Spotlight’s shortcut if needed.",
};

constexpr Texts kWordTexts{
    "Include Super, Alt, or Ctrl in your shortcut.",
    "Press a shortcut with Super, Alt, or Ctrl. Escape cancels.\nNothing happening? Another app or the "
    "desktop may "
    "be using this shortcut. Try another combination.",
    "Super+Space may be used by the desktop to switch input sources. Change that shortcut if needed.",
};

constexpr std::string_view kConflict = "The other Quillo shortcut already uses this combination.";
constexpr std::string_view kPreviousRestored =
    "Couldn’t register that shortcut. Your previous shortcut is restored.";
constexpr std::string_view kNeitherRegistered =
    "Neither shortcut could be registered. Choose another shortcut.";
constexpr std::string_view kRestoreFailed = "Couldn’t register the shortcut. Choose another shortcut.";
// A desktop without global shortcuts refuses every combination: the way out is its own key
// bindings running our command lines.
constexpr std::string_view kNoGlobalShortcutsLauncher =
    "This desktop doesn’t let apps register global shortcuts. To open Quillo from the keyboard, add a "
    "shortcut that runs “quillo --toggle” in the desktop’s keyboard settings.";
constexpr std::string_view kNoGlobalShortcutsClipboard =
    "This desktop doesn’t let apps register global shortcuts. To open clipboard history from the keyboard, "
    "add a shortcut that runs “quillo --clipboard” in the desktop’s keyboard settings.";
constexpr std::string_view kClipboardDetail =
    "Open clipboard history to search and paste. This shortcut replaces the same shortcut in other apps.";
constexpr std::string_view kLauncherDetail = "Choose a shortcut to open Quillo.";

}  // namespace

int carbonModifiers(const KeyModifiers& held) {
  return (held.command ? LauncherShortcut::command : 0) | (held.shift ? LauncherShortcut::shift : 0) |
         (held.option ? LauncherShortcut::option : 0) | (held.control ? LauncherShortcut::control : 0);
}

ShortcutController::ShortcutController(core::QuilloPreferences& preferences, Kind kind, HotKeyCenter& hotKeys,
                                       Hooks hooks)
    : preferences_(preferences), kind_(kind), center_(hotKeys), hooks_(std::move(hooks)) {
  restore();
}

bool ShortcutController::restore() {
  hotKey_.reset();
  hotKey_ = HotKey::make(center_, stored().keyCode, stored().modifiers, [this] {
    if (hooks_.action) hooks_.action();
  });
  if (!hotKey_)
    errorMessage_ = refusal(kRestoreFailed);
  else
    errorMessage_.reset();
  label_ = shortcutLabel(stored(), center_.keys());
  if (hooks_.onChange) hooks_.onChange();
  changed();
  return hotKey_.has_value();
}

void ShortcutController::beginRecording() {
  if (isRecording_) return;
  errorMessage_.reset();
  hotKey_.reset();
  isRecording_ = true;
  changed();
}

void ShortcutController::stopRecording() {
  if (!isRecording_) return;
  isRecording_ = false;
  changed();
}

bool ShortcutController::recordKeyDown(const KeyEvent& event, bool settingsWindowIsKey) {
  if (!isRecording_ || event.type != KeyEvent::Type::keyDown) return false;
  if (!settingsWindowIsKey) {
    stopRecording();
    restore();
    return false;
  }
  if (event.keyCode == KeyCode::escape) {
    stopRecording();
    errorMessage_.reset();
    restore();
    return true;
  }
  if (event.isRepeat) return true;
  const auto shortcut = LauncherShortcut::make(event.keyCode, carbonModifiers(event.modifiers));
  if (!shortcut) {
    errorMessage_ = std::string(linuxWords() ? kWordTexts.needsModifier : kSymbolTexts.needsModifier);
    changed();
    return true;
  }
  apply(*shortcut);
  return true;
}

void ShortcutController::apply(LauncherShortcut shortcut) {
  stopRecording();
  if (shortcut == other()) {
    restore();
    errorMessage_ = std::string(kConflict);
    changed();
    return;
  }
  // Released first, so that applying the stored combination again registers it anew.
  hotKey_.reset();
  hotKey_ = HotKey::make(center_, shortcut.keyCode, shortcut.modifiers, [this] {
    if (hooks_.action) hooks_.action();
  });
  if (!hotKey_) {
    const bool restored = restore();
    errorMessage_ = refusal(restored ? kPreviousRestored : kNeitherRegistered);
    changed();
    return;
  }
  store(shortcut);
  errorMessage_.reset();
  label_ = shortcutLabel(shortcut, center_.keys());
  if (hooks_.onChange) hooks_.onChange();
  changed();
}

std::string ShortcutController::detail() const {
  const Texts& texts = linuxWords() ? kWordTexts : kSymbolTexts;
  if (errorMessage_) return *errorMessage_;
  if (!center_.keys().offersGlobalShortcuts()) return noGlobalShortcuts();
  if (isRecording_) return std::string(texts.recording);
  if (auto refused = center_.keys().refusal()) return std::move(*refused);
  if (kind_ == Kind::clipboard) return std::string(kClipboardDetail);
  if (stored() == LauncherShortcut::launcherDefault) return std::string(texts.defaultLauncher);
  return std::string(kLauncherDetail);
}

LauncherShortcut ShortcutController::stored() const {
  return kind_ == Kind::launcher ? preferences_.launcherShortcut() : preferences_.clipboardShortcut();
}

LauncherShortcut ShortcutController::other() const {
  return kind_ == Kind::launcher ? preferences_.clipboardShortcut() : preferences_.launcherShortcut();
}

void ShortcutController::store(LauncherShortcut shortcut) {
  if (kind_ == Kind::launcher) {
    preferences_.setLauncherShortcut(shortcut);
  } else {
    preferences_.setClipboardShortcut(shortcut);
  }
}

std::string ShortcutController::refusal(std::string_view conflictText) const {
  // Another combination only helps when some combination can be registered at all.
  if (!center_.keys().offersGlobalShortcuts()) return noGlobalShortcuts();
  return std::string(conflictText);
}

std::string ShortcutController::noGlobalShortcuts() const {
  return std::string(kind_ == Kind::launcher ? kNoGlobalShortcutsLauncher : kNoGlobalShortcutsClipboard);
}

bool ShortcutController::linuxWords() const {
  return center_.keys().labelStyle() == platform::KeyLabelStyle::words;
}

void ShortcutController::changed() {
  if (observer_) observer_();
}

}  // namespace quillo::app

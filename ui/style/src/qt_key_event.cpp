#include "quillo/ui/style/qt_key_event.h"

#include <linux/input-event-codes.h>

#include <array>
#include <optional>
#include <utility>

#include "quillo/platform/desktop/key_positions.h"

namespace quillo::ui {
namespace {

// Platforms without scan codes (offscreen rendering, some input methods) report only Qt's key:
// the named keys and letters then take their usual place.
constexpr std::array<std::pair<int, std::uint16_t>, 43> kPlaceOfQtKey{{
    {Qt::Key_Return, KEY_ENTER},  {Qt::Key_Enter, KEY_KPENTER},
    {Qt::Key_Tab, KEY_TAB},       {Qt::Key_Backtab, KEY_TAB},
    {Qt::Key_Space, KEY_SPACE},   {Qt::Key_Backspace, KEY_BACKSPACE},
    {Qt::Key_Escape, KEY_ESC},    {Qt::Key_Delete, KEY_DELETE},
    {Qt::Key_Left, KEY_LEFT},     {Qt::Key_Right, KEY_RIGHT},
    {Qt::Key_Up, KEY_UP},         {Qt::Key_Down, KEY_DOWN},
    {Qt::Key_PageUp, KEY_PAGEUP}, {Qt::Key_PageDown, KEY_PAGEDOWN},
    {Qt::Key_F1, KEY_F1},         {Qt::Key_Home, KEY_HOME},
    {Qt::Key_End, KEY_END},       {Qt::Key_A, KEY_A},
    {Qt::Key_B, KEY_B},           {Qt::Key_C, KEY_C},
    {Qt::Key_D, KEY_D},           {Qt::Key_E, KEY_E},
    {Qt::Key_F, KEY_F},           {Qt::Key_G, KEY_G},
    {Qt::Key_H, KEY_H},           {Qt::Key_I, KEY_I},
    {Qt::Key_J, KEY_J},           {Qt::Key_K, KEY_K},
    {Qt::Key_L, KEY_L},           {Qt::Key_M, KEY_M},
    {Qt::Key_N, KEY_N},           {Qt::Key_O, KEY_O},
    {Qt::Key_P, KEY_P},           {Qt::Key_Q, KEY_Q},
    {Qt::Key_R, KEY_R},           {Qt::Key_S, KEY_S},
    {Qt::Key_T, KEY_T},           {Qt::Key_U, KEY_U},
    {Qt::Key_V, KEY_V},           {Qt::Key_W, KEY_W},
    {Qt::Key_X, KEY_X},           {Qt::Key_Y, KEY_Y},
    {Qt::Key_Z, KEY_Z},
}};

std::optional<int> usualPlaceOf(int key) {
  for (const auto& [qtKey, evdev] : kPlaceOfQtKey) {
    if (qtKey == key) return platform::desktop::macKeyForEvdevCode(evdev);
  }
  return std::nullopt;
}

std::optional<int> macKeyOf(const QKeyEvent& event) {
  // A named key (Return, the arrows, Escape) is what the keymap says it is, wherever it sits: a
  // virtual keyboard on Wayland (an on-screen keyboard, a remote desktop, a typing tool) brings a
  // keymap of its own whose keycodes are no places on a real keyboard.
  if (event.key() >= Qt::Key_Escape) {
    if (auto key = usualPlaceOf(event.key())) return key;
  }
  // Characters go by their place, so that a shortcut's letter stays put under another layout.
  // X and Wayland report the XKB keycode: the evdev code plus 8.
  if (const quint32 scanCode = event.nativeScanCode(); scanCode > 8 && scanCode <= 0xffff + 8) {
    if (auto key = platform::desktop::macKeyForEvdevCode(static_cast<std::uint16_t>(scanCode - 8)))
      return key;
  }
  return usualPlaceOf(event.key());
}

std::string charactersIgnoringModifiers(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return std::string(1, static_cast<char>('a' + (key - Qt::Key_A)));
  if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) return std::string(1, static_cast<char>(key));
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return "\r";
  if (key == Qt::Key_Tab) return "\t";
  if (key == Qt::Key_Escape) return "\x1b";
  return {};
}

}  // namespace

app::KeyModifiers keyModifiersFrom(Qt::KeyboardModifiers modifiers) {
  return {.command = modifiers.testFlag(Qt::MetaModifier),
          .shift = modifiers.testFlag(Qt::ShiftModifier),
          .option = modifiers.testFlag(Qt::AltModifier),
          .control = modifiers.testFlag(Qt::ControlModifier)};
}

app::KeyEvent keyEventFrom(const QKeyEvent& event) {
  return {
      .type = event.type() == QEvent::KeyRelease ? app::KeyEvent::Type::keyUp : app::KeyEvent::Type::keyDown,
      .keyCode = macKeyOf(event).value_or(-1),
      .modifiers = keyModifiersFrom(event.modifiers()),
      .charactersIgnoringModifiers = charactersIgnoringModifiers(event),
      .isRepeat = event.isAutoRepeat()};
}

}  // namespace quillo::ui

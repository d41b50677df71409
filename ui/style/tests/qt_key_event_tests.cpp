#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "quillo/ui/style/qt_key_event.h"

namespace quillo::ui {
namespace {

// A key press as Qt's X11 and Wayland platforms report it: the XKB keycode is the evdev code plus 8.
QKeyEvent press(Qt::Key key, std::uint16_t evdevCode, const QString& text = {}) {
  return QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, evdevCode + 8, 0, 0, text);
}

TEST(QtKeyEvent, ANamedKeyIsWhatTheKeymapSaysWhateverItsKeycode) {
  // A virtual keyboard's own keymap put the down arrow on the keycode of Escape.
  EXPECT_EQ(keyEventFrom(press(Qt::Key_Down, KEY_ESC)).keyCode, app::KeyCode::downArrow);
  EXPECT_EQ(keyEventFrom(press(Qt::Key_Return, KEY_1, "\r")).keyCode, app::KeyCode::returnKey);
}

TEST(QtKeyEvent, ACharacterGoesByItsPlaceOnTheKeyboard) {
  // The key of C under a Russian layout types "с": shortcuts on C stay on it.
  EXPECT_EQ(keyEventFrom(press(Qt::Key(0x0421), KEY_C, QString(QChar(0x0441)))).keyCode, app::KeyCode::c);
}

}  // namespace
}  // namespace quillo::ui

#include <gtest/gtest.h>

#include <string>

#include "quillo/app/clipboard/clipboard_keys.h"

namespace quillo::app {
namespace {

using namespace clipboard_key;

constexpr KeyModifiers kNone{};
constexpr KeyModifiers kShift{.shift = true};
constexpr KeyModifiers kAlt{.option = true};
constexpr KeyModifiers kCtrl{.control = true};
constexpr KeyModifiers kCtrlShift{.shift = true, .control = true};
constexpr KeyModifiers kSuper{.command = true};
constexpr KeyModifiers kSuperShift{.command = true, .shift = true};

// A key as the history window on Linux reads it (Ctrl is Command), or on the Mac.
std::optional<ClipboardKey> onLinux(int code, KeyModifiers held, std::string letter = "") {
  return clipboardKey({.keyCode = code, .modifiers = held, .charactersIgnoringModifiers = std::move(letter)},
                      true);
}
std::optional<ClipboardKey> onMac(int code, KeyModifiers held, std::string letter = "") {
  return clipboardKey({.keyCode = code, .modifiers = held, .charactersIgnoringModifiers = std::move(letter)},
                      false);
}

TEST(ClipboardKeys, ReturnRunsThePrimaryActionAndItsModifiersPickAVariant) {
  EXPECT_EQ(onLinux(KeyCode::returnKey, kNone), ClipboardKey(Primary{}));
  EXPECT_EQ(onLinux(KeyCode::keypadEnter, kNone), ClipboardKey(Primary{}));
  EXPECT_EQ(onLinux(KeyCode::returnKey, kCtrl), ClipboardKey(ClipboardAction::copy));
  EXPECT_EQ(onLinux(KeyCode::returnKey, kAlt), ClipboardKey(ClipboardAction::pastePlain));
  EXPECT_EQ(onLinux(KeyCode::returnKey, kShift), std::nullopt);
  EXPECT_EQ(onMac(KeyCode::returnKey, kSuper), ClipboardKey(ClipboardAction::copy));
}

TEST(ClipboardKeys, CommandShortcutsNameTheWindowsActionsByTheLetterTyped) {
  const std::pair<std::string, ClipboardAction> letters[] = {
      {"c", ClipboardAction::copy},   {"y", ClipboardAction::preview},   {"p", ClipboardAction::pin},
      {"r", ClipboardAction::rename}, {"t", ClipboardAction::cleanText}, {"s", ClipboardAction::saveImage}};
  for (const auto& [letter, action] : letters) {
    // The key's place does not matter: a layout that puts "p" elsewhere still pins with it.
    EXPECT_EQ(onLinux(KeyCode::a, kCtrl, letter), ClipboardKey(action)) << letter;
    EXPECT_EQ(onMac(KeyCode::a, kSuper, letter), ClipboardKey(action)) << letter;
  }
  EXPECT_EQ(onLinux(KeyCode::backspace, kCtrl), ClipboardKey(ClipboardAction::remove));
  EXPECT_EQ(onLinux(KeyCode::a, kCtrlShift, "a"), ClipboardKey(ClipboardAction::selectAll));
  EXPECT_EQ(onLinux(KeyCode::v, kCtrlShift, "v"), ClipboardKey(ClipboardAction::pastePlain));
  EXPECT_EQ(onLinux(KeyCode::f2, kNone), ClipboardKey(ClipboardAction::rename));
}

TEST(ClipboardKeys, OnLinuxCtrlPlaysCommandAndSuperBelongsToTheDesktop) {
  EXPECT_EQ(onLinux(KeyCode::p, kSuper, "p"), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::downArrow, kSuper), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::v, kSuperShift, "v"), std::nullopt);
  // Ctrl+P pins on Linux; on the Mac Control-P moves up as in every text field.
  EXPECT_EQ(onLinux(KeyCode::p, kCtrl, "p"), ClipboardKey(ClipboardAction::pin));
  EXPECT_EQ(onLinux(KeyCode::n, kCtrl, "n"), std::nullopt);
  EXPECT_EQ(onMac(KeyCode::p, kCtrl, "p"), ClipboardKey(MoveFocus{-1}));
  EXPECT_EQ(onMac(KeyCode::n, kCtrl, "n"), ClipboardKey(MoveFocus{1}));
}

TEST(ClipboardKeys, ArrowsMoveTheFocusAndShiftExtendsTheSelection) {
  EXPECT_EQ(onLinux(KeyCode::downArrow, kNone), ClipboardKey(MoveFocus{1}));
  EXPECT_EQ(onLinux(KeyCode::upArrow, kNone), ClipboardKey(MoveFocus{-1}));
  EXPECT_EQ(onLinux(KeyCode::pageDown, kNone), ClipboardKey(MoveFocus{8}));
  EXPECT_EQ(onLinux(KeyCode::pageUp, kNone), ClipboardKey(MoveFocus{-8}));
  EXPECT_EQ(onLinux(KeyCode::downArrow, kShift), ClipboardKey(ExtendSelection{1}));
  EXPECT_EQ(onLinux(KeyCode::upArrow, kShift), ClipboardKey(ExtendSelection{-1}));
  EXPECT_EQ(onLinux(KeyCode::downArrow, kAlt), std::nullopt);
}

TEST(ClipboardKeys, ShiftSpaceSelectsTabChangesTheFilterAndEscapeCloses) {
  EXPECT_EQ(onLinux(KeyCode::space, kShift, " "), ClipboardKey(ToggleSelection{}));
  EXPECT_EQ(onLinux(KeyCode::tab, kNone), ClipboardKey(NextFilter{}));
  EXPECT_EQ(onLinux(KeyCode::tab, kShift), ClipboardKey(PreviousFilter{}));
  EXPECT_EQ(onLinux(KeyCode::escape, kNone), ClipboardKey(Escape{}));
}

TEST(ClipboardKeys, KeysThatEditTheQueryStayWithTheField) {
  EXPECT_EQ(onLinux(KeyCode::space, kNone, " "), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::p, kNone, "p"), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::p, kShift, "p"), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::a, kCtrl, "a"), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::v, kCtrl, "v"), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::backspace, kNone), std::nullopt);
  EXPECT_EQ(onLinux(KeyCode::leftArrow, kNone), std::nullopt);
  EXPECT_EQ(clipboardKey({.type = KeyEvent::Type::keyUp,
                          .keyCode = KeyCode::returnKey,
                          .modifiers = {},
                          .charactersIgnoringModifiers = ""},
                         true),
            std::nullopt);
}

}  // namespace
}  // namespace quillo::app

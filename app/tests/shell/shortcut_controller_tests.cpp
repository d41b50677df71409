#include <gtest/gtest.h>

#include "quillo/app/shell/shortcut_controller.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/fake_hot_keys.h"

namespace quillo::app {
namespace {

using core::LauncherShortcut;
constexpr int kCommand = LauncherShortcut::command;
constexpr int kShift = LauncherShortcut::shift;
constexpr int kOption = LauncherShortcut::option;

struct ShortcutControllerTest : ::testing::Test {
  core::MemoryDefaultsStore defaults;
  core::QuilloPreferences preferences{defaults};
  testing::FakeHotKeys keys;
  HotKeyCenter center{keys};
  int launcherPresses = 0;
  int clipboardPresses = 0;
  int changes = 0;

  std::unique_ptr<ShortcutController> launcher() {
    return std::make_unique<ShortcutController>(
        preferences, ShortcutController::Kind::launcher, center,
        ShortcutController::Hooks{.action = [this] { ++launcherPresses; },
                                  .onChange = [this] { ++changes; }});
  }
  std::unique_ptr<ShortcutController> clipboard() {
    return std::make_unique<ShortcutController>(
        preferences, ShortcutController::Kind::clipboard, center,
        ShortcutController::Hooks{.action = [this] { ++clipboardPresses; }});
  }
  static KeyEvent key(int code, KeyModifiers held) { return KeyEvent{.keyCode = code, .modifiers = held}; }
};

TEST_F(ShortcutControllerTest, TheStoredShortcutIsRegisteredAtOnce) {
  const auto controller = launcher();
  EXPECT_TRUE(keys.press(49, kCommand));
  EXPECT_EQ(launcherPresses, 1);
  EXPECT_EQ(controller->label(), "⌘Space");
  EXPECT_EQ(controller->detail(),
            "Command-Space may be used by Spotlight. Change Spotlight’s shortcut if needed.");
}

TEST_F(ShortcutControllerTest, ARecordedShortcutIsStoredAndReplacesTheOldOne) {
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_TRUE(controller->recordKeyDown(key(0, {.command = true, .option = true}), true));
  EXPECT_FALSE(controller->isRecording());
  EXPECT_EQ(preferences.launcherShortcut(), (LauncherShortcut{0, kCommand | kOption}));
  EXPECT_FALSE(keys.isRegistered(49, kCommand));
  EXPECT_TRUE(keys.press(0, kCommand | kOption));
  EXPECT_EQ(controller->label(), "⌥⌘a");
  EXPECT_EQ(controller->detail(), "Choose a shortcut to open Quillo.");
}

TEST_F(ShortcutControllerTest, RecordingReleasesTheOldCombinationSoItCanBeRecordedAgain) {
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_FALSE(keys.isRegistered(49, kCommand));
  controller->recordKeyDown(key(49, {.command = true}), true);
  EXPECT_TRUE(keys.isRegistered(49, kCommand));
  EXPECT_FALSE(controller->errorMessage());
}

TEST_F(ShortcutControllerTest, TheOtherShortcutsCombinationIsRefusedAndTheOldOneKept) {
  const auto launcherController = launcher();
  const auto controller = clipboard();
  controller->beginRecording();
  controller->recordKeyDown(key(49, {.command = true}), true);
  EXPECT_EQ(controller->errorMessage(), "The other Quillo shortcut already uses this combination.");
  EXPECT_EQ(preferences.clipboardShortcut(), LauncherShortcut::clipboardDefault);
  EXPECT_TRUE(keys.press(9, kCommand | kShift));
  EXPECT_EQ(clipboardPresses, 1);
}

TEST_F(ShortcutControllerTest, EscapeKeepsTheOldShortcutAndClearsTheMessage) {
  const auto controller = launcher();
  controller->beginRecording();
  controller->recordKeyDown(key(0, {.shift = true}), true);
  ASSERT_TRUE(controller->errorMessage());
  EXPECT_TRUE(controller->recordKeyDown(key(KeyCode::escape, {}), true));
  EXPECT_FALSE(controller->isRecording());
  EXPECT_FALSE(controller->errorMessage());
  EXPECT_TRUE(keys.isRegistered(49, kCommand));
}

TEST_F(ShortcutControllerTest, ShiftAndALetterAsksForAnotherModifier) {
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_TRUE(controller->recordKeyDown(key(0, {.shift = true}), true));
  EXPECT_EQ(controller->errorMessage(), "Include Command, Option, or Control in your shortcut.");
  EXPECT_EQ(controller->detail(), "Include Command, Option, or Control in your shortcut.");
  EXPECT_TRUE(controller->isRecording());
}

TEST_F(ShortcutControllerTest, OnLinuxTheMessagesNameTheLinuxKeys) {
  keys.style = platform::KeyLabelStyle::words;
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_EQ(
      controller->detail(),
      "Press a shortcut with Super, Alt, or Ctrl. Escape cancels.\nNothing happening? Another app or the "
      "desktop may be using this shortcut. Try another combination.");
  controller->recordKeyDown(key(0, {.shift = true}), true);
  EXPECT_EQ(controller->errorMessage(), "Include Super, Alt, or Ctrl in your shortcut.");
}

TEST_F(ShortcutControllerTest, AutoRepeatedKeysAreIgnoredWhileRecording) {
  const auto controller = launcher();
  controller->beginRecording();
  auto held = key(0, {.command = true});
  held.isRepeat = true;
  EXPECT_TRUE(controller->recordKeyDown(held, true));
  EXPECT_TRUE(controller->isRecording());
  EXPECT_EQ(preferences.launcherShortcut(), LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutControllerTest, LosingTheKeyWindowEndsRecordingAndRestoresTheShortcut) {
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_FALSE(controller->recordKeyDown(key(0, {.command = true}), false));
  EXPECT_FALSE(controller->isRecording());
  EXPECT_TRUE(keys.isRegistered(49, kCommand));
  EXPECT_EQ(preferences.launcherShortcut(), LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutControllerTest, ARefusedShortcutFallsBackToThePreviousOne) {
  const auto controller = launcher();
  keys.refused.insert({0, kCommand});
  controller->apply({0, kCommand});
  EXPECT_EQ(controller->errorMessage(),
            "Couldn’t register that shortcut. Your previous shortcut is restored.");
  EXPECT_TRUE(keys.isRegistered(49, kCommand));
  EXPECT_EQ(preferences.launcherShortcut(), LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutControllerTest, WhenNeitherCanBeRegisteredTheUserIsAskedForAnother) {
  const auto controller = launcher();
  keys.refused.insert({0, kCommand});
  keys.refused.insert({49, kCommand});
  controller->apply({0, kCommand});
  EXPECT_EQ(controller->errorMessage(), "Neither shortcut could be registered. Choose another shortcut.");
}

TEST_F(ShortcutControllerTest, AStoredShortcutTheDesktopRefusesIsReported) {
  keys.refused.insert({49, kCommand});
  const auto controller = launcher();
  EXPECT_EQ(controller->errorMessage(), "Couldn’t register the shortcut. Choose another shortcut.");
  EXPECT_EQ(controller->label(), "⌘Space");
}

TEST_F(ShortcutControllerTest, AShortcutRegisteredOnALaterTryNoLongerReportsTheFailure) {
  keys.refused.insert({49, kCommand});
  const auto controller = launcher();
  keys.refused.clear();  // the desktop takes shortcuts now (the user allowed it)
  EXPECT_TRUE(controller->restore());
  EXPECT_EQ(controller->errorMessage(), std::nullopt);
  EXPECT_TRUE(keys.press(49, kCommand));
}

TEST_F(ShortcutControllerTest, TheClipboardControllerExplainsItsShortcut) {
  const auto controller = clipboard();
  EXPECT_EQ(
      controller->detail(),
      "Open clipboard history to search and paste. This shortcut replaces the same shortcut in other apps.");
  controller->beginRecording();
  EXPECT_EQ(controller->detail(),
            "Press a shortcut with ⌘, ⌥, or ⌃. Escape cancels.\nNothing happening? Another app or macOS may "
            "be using "
            "this shortcut. Try another combination.");
}

constexpr std::string_view kBindToggle =
    "This desktop doesn’t let apps register global shortcuts. To open Quillo from the keyboard, add a "
    "shortcut that runs “quillo --toggle” in the desktop’s keyboard settings.";

TEST_F(ShortcutControllerTest, WithoutGlobalShortcutsTheLauncherAsksToBindQuilloToggle) {
  keys.noGlobalShortcuts = true;
  keys.style = platform::KeyLabelStyle::words;
  const auto controller = launcher();
  EXPECT_EQ(controller->errorMessage(), kBindToggle);
  EXPECT_EQ(controller->detail(), kBindToggle);
  EXPECT_EQ(controller->label(), "Super+Space");
}

TEST_F(ShortcutControllerTest, WithoutGlobalShortcutsTheClipboardAsksToBindQuilloClipboard) {
  keys.noGlobalShortcuts = true;
  const auto controller = clipboard();
  EXPECT_EQ(controller->errorMessage(),
            "This desktop doesn’t let apps register global shortcuts. To open clipboard history from the "
            "keyboard, add a shortcut that runs “quillo --clipboard” in the desktop’s keyboard settings.");
}

TEST_F(ShortcutControllerTest, WithoutGlobalShortcutsARecordedShortcutIsNotBlamedOnItsCombination) {
  keys.noGlobalShortcuts = true;
  const auto controller = launcher();
  controller->beginRecording();
  EXPECT_EQ(controller->detail(), kBindToggle);
  controller->apply({0, kCommand});
  EXPECT_EQ(controller->errorMessage(), kBindToggle);
  EXPECT_EQ(preferences.launcherShortcut(), LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutControllerTest, ARefusedDesktopRequestIsShownInsteadOfTheUsualDetail) {
  keys.refusedByUser = "You turned down Quillo's request for global shortcuts.";
  keys.style = platform::KeyLabelStyle::words;
  const auto controller = launcher();
  EXPECT_EQ(controller->detail(), "You turned down Quillo's request for global shortcuts.");
  keys.refusedByUser.reset();
  EXPECT_EQ(controller->detail(),
            "Super+Space may be used by the desktop to switch input sources. Change "
            "that shortcut if needed.");
}

}  // namespace
}  // namespace quillo::app

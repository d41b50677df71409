#include <QLineEdit>

#include "quillo/ui/settings/shortcut_recorder.h"
#include "settings_fixture.h"

namespace quillo::ui {
namespace {

constexpr std::uint32_t kKeyK = 40;
constexpr std::uint32_t kControlOption = 0x1800;
constexpr std::uint32_t kSpace = 49;
constexpr std::uint32_t kCommand = 0x100;

struct ShortcutRecorderTest : SettingsTest {
  ShortcutRecorder* launcher = nullptr;
  ShortcutRecorder* clipboard = nullptr;

  void SetUp() override {
    open();
    launcher = find<ShortcutRecorder>(QStringLiteral("launcherShortcut"));
    clipboard = find<ShortcutRecorder>(QStringLiteral("clipboardShortcut"));
    ASSERT_TRUE(launcher && clipboard);
  }

  // Clicks the recorder's caps, as the user starts recording.
  static void startRecording(ShortcutRecorder* recorder) {
    auto* field = recorder->findChild<QWidget*>(QStringLiteral("keys"));
    ASSERT_NE(field, nullptr);
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(recorder->isRecording());
  }

  static void press(ShortcutRecorder* recorder, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(recorder->findChild<QWidget*>(QStringLiteral("keys")), key, modifiers);
  }
};

TEST_F(ShortcutRecorderTest, ShowsTheStoredShortcutAsKeyCapsInLinuxWords) {
  EXPECT_EQ(launcher->caps(), (std::vector<QString>{"Super", "Space"}));
  EXPECT_EQ(clipboard->caps(), (std::vector<QString>{"Shift", "Super", "V"}));
}

TEST_F(ShortcutRecorderTest, RecordingAComboRegistersItAndShowsIt) {
  startRecording(launcher);
  // Recording releases the old combination, so that it can be recorded again.
  EXPECT_FALSE(hotKeys.isRegistered(kSpace, kCommand));
  press(launcher, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);

  EXPECT_FALSE(launcher->isRecording());
  EXPECT_TRUE(hotKeys.isRegistered(kKeyK, kControlOption));
  EXPECT_EQ(launcher->caps(), (std::vector<QString>{"Ctrl", "Alt", "K"}));
  EXPECT_EQ(reread().launcherShortcut(), (core::LauncherShortcut{.keyCode = 40, .modifiers = 0x1800}));
}

TEST_F(ShortcutRecorderTest, TheClipboardShortcutsComboIsRefusedAndTheOldOneKept) {
  startRecording(clipboard);
  press(clipboard, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_TRUE(hotKeys.isRegistered(kKeyK, kControlOption));

  startRecording(launcher);
  press(launcher, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);

  EXPECT_EQ(launcher->detailText(),
            QStringLiteral("The other Quillo shortcut already uses this combination."));
  EXPECT_TRUE(hotKeys.isRegistered(kSpace, kCommand));
  EXPECT_EQ(launcher->caps(), (std::vector<QString>{"Super", "Space"}));
  EXPECT_EQ(preferences.launcherShortcut(), core::LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutRecorderTest, AKeyWithoutCtrlAltOrSuperSaysWhatIsMissing) {
  startRecording(launcher);
  // A modifier alone is not the end of the combination.
  press(launcher, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_TRUE(launcher->isRecording());
  press(launcher, Qt::Key_K, Qt::ShiftModifier);
  EXPECT_EQ(launcher->detailText(), QStringLiteral("Include Super, Alt, or Ctrl in your shortcut."));
  EXPECT_EQ(preferences.launcherShortcut(), core::LauncherShortcut::launcherDefault);
}

TEST_F(ShortcutRecorderTest, EscapeCancelsRecordingAndKeepsTheShortcut) {
  const QString idle = launcher->detailText();
  startRecording(launcher);
  EXPECT_NE(launcher->detailText(), idle);
  press(launcher, Qt::Key_Escape);

  EXPECT_FALSE(launcher->isRecording());
  EXPECT_TRUE(hotKeys.isRegistered(kSpace, kCommand));
  EXPECT_EQ(launcher->caps(), (std::vector<QString>{"Super", "Space"}));
  EXPECT_EQ(launcher->detailText(), idle);
  // The window is still open: Escape went to the recorder, not to the window.
  EXPECT_TRUE(window->isVisible());
}

TEST_F(ShortcutRecorderTest, LeavingTheFieldCancelsRecording) {
  startRecording(launcher);
  auto* elsewhere = find<QWidget>(QStringLiteral("openingScope"));
  elsewhere->setFocus(Qt::MouseFocusReason);
  QCoreApplication::processEvents();

  EXPECT_FALSE(launcher->isRecording());
  EXPECT_TRUE(hotKeys.isRegistered(kSpace, kCommand));
}

TEST_F(ShortcutRecorderTest, TabWhileRecordingIsPartOfTheShortcut) {
  startRecording(launcher);
  press(launcher, Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
  // Tab did not move the focus away (which would have cancelled): it was recorded.
  EXPECT_TRUE(hotKeys.isRegistered(48, kControlOption));
  EXPECT_EQ(launcher->caps(), (std::vector<QString>{"Ctrl", "Alt", "Tab"}));
}

TEST_F(ShortcutRecorderTest, TheWindowsOwnShortcutsAreRecordedWhileRecording) {
  startRecording(launcher);
  press(launcher, Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(hotKeys.isRegistered(13, 0x1000));
}

TEST(KeyCaps, SplitsBothLabelStylesAndKeepsAPlusKey) {
  EXPECT_EQ(keyCapsOf("Ctrl+Alt+k"), (std::vector<std::string>{"Ctrl", "Alt", "K"}));
  EXPECT_EQ(keyCapsOf("Shift+Super+Page Up"), (std::vector<std::string>{"Shift", "Super", "Page Up"}));
  EXPECT_EQ(keyCapsOf("Ctrl++"), (std::vector<std::string>{"Ctrl", "+"}));
  EXPECT_EQ(keyCapsOf("⇧⌘Space"), (std::vector<std::string>{"⇧", "⌘", "Space"}));
}

}  // namespace
}  // namespace quillo::ui

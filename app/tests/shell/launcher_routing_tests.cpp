#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "quillo/app/shell/launcher_routing.h"

namespace quillo::app {
namespace {

// Callbacks that record what was called and answer what the test sets.
struct Panel {
  std::vector<std::string> calls;
  bool modelTakesBackspace = true;
  bool clipboardCopies = false;
  bool fileActs = true;
  bool clipboardTakesKey = false;
  SearchFieldState field{.isFirstResponder = true, .isEmpty = false};
  LauncherPanelState state;

  LauncherPanelCallbacks callbacks() {
    auto answer = [this](const std::string& name, const bool& result) {
      return [this, name, &result] {
        calls.push_back(name);
        return result;
      };
    };
    return {
        .onEmptyFieldBackspace = answer("backspace", modelTakesBackspace),
        .onCopySelectedClipboard = answer("copyClipboard", clipboardCopies),
        .onCopySelectedFile = answer("copyFile", fileActs),
        .onCopySelectedFilePath = answer("copyPath", fileActs),
        .onClipboardKey =
            [this](const KeyEvent&) {
              calls.push_back("clipboardKey");
              return clipboardTakesKey;
            },
        .onFileReturn = answer("fileReturn", fileActs),
        .onShowFileInFinder = answer("reveal", fileActs),
        .onPreviewMove =
            [this](int delta) {
              calls.push_back("move " + std::to_string(delta));
              return true;
            },
        .onPreviewRun = answer("previewRun", fileActs),
    };
  }

  Routing key(int code, KeyModifiers held = {}, std::string characters = "") {
    return routeLauncherKey(
        KeyEvent{.keyCode = code, .modifiers = held, .charactersIgnoringModifiers = std::move(characters)},
        field, state, callbacks());
  }
  Routing copy(KeyModifiers held) { return key(KeyCode::c, held, "c"); }
};

TEST(LauncherRouting, BackspaceInAnEmptyFieldIsOfferedToTheModelFirst) {
  Panel panel;
  panel.field.isEmpty = true;
  EXPECT_EQ(panel.key(KeyCode::backspace), Routing::consumed);
  EXPECT_EQ(panel.calls, std::vector<std::string>{"backspace"});
}

TEST(LauncherRouting, BackspaceTheModelDeclinesReachesTheField) {
  Panel panel;
  panel.field.isEmpty = true;
  panel.modelTakesBackspace = false;
  EXPECT_EQ(panel.key(KeyCode::backspace), Routing::normal);
}

TEST(LauncherRouting, AHeldBackspaceThatEmptiedTheFieldIsNotOfferedToTheModel) {
  Panel panel;
  panel.field.isEmpty = true;
  const KeyEvent repeated{
      .keyCode = KeyCode::backspace, .modifiers = {}, .charactersIgnoringModifiers = "", .isRepeat = true};
  EXPECT_EQ(routeLauncherKey(repeated, panel.field, panel.state, panel.callbacks()), Routing::normal);
  EXPECT_EQ(std::count(panel.calls.begin(), panel.calls.end(), "backspace"), 0);
}

TEST(LauncherRouting, BackspaceInAFieldWithTextEditsTheText) {
  Panel panel;
  EXPECT_EQ(panel.key(KeyCode::backspace), Routing::normal);
  EXPECT_EQ(panel.calls, std::vector<std::string>{"clipboardKey"});
}

TEST(LauncherRouting, BackspaceDuringACompositionStaysWithTheInputMethod) {
  Panel panel;
  panel.field.isEmpty = true;
  panel.field.isComposing = true;
  EXPECT_EQ(panel.key(KeyCode::backspace), Routing::normal);
  EXPECT_TRUE(panel.calls.empty());
}

TEST(LauncherRouting, EmptyFieldBackspaceGoesToTheModelEvenWhenRoutingIsOff) {
  Panel panel;
  panel.field.isEmpty = true;
  panel.state.routesLauncherEvents = false;
  EXPECT_EQ(panel.key(KeyCode::backspace), Routing::consumed);
}

TEST(LauncherRouting, NothingElseIsRoutedWhileAFolderAccessDialogIsUp) {
  Panel panel;
  panel.state.isRequestingFileAccess = true;
  EXPECT_EQ(panel.copy({.command = true}), Routing::normal);
  EXPECT_EQ(panel.key(KeyCode::returnKey), Routing::normal);
  EXPECT_TRUE(panel.calls.empty());
}

TEST(LauncherRouting, CommandCWithSelectedTextLeavesTheCopyToTheField) {
  for (const bool commandIsControl : {false, true}) {
    Panel panel;
    panel.field.hasSelectedText = true;
    panel.state.commandIsControl = commandIsControl;
    EXPECT_EQ(panel.copy({.command = !commandIsControl, .control = commandIsControl}), Routing::normal);
    EXPECT_EQ(panel.calls, std::vector<std::string>{});
  }
}

TEST(LauncherRouting, CommandCCopiesTheFileAndCommandShiftCItsPath) {
  Panel panel;
  EXPECT_EQ(panel.copy({.command = true}), Routing::consumed);
  EXPECT_EQ(panel.copy({.command = true, .shift = true}), Routing::consumed);
  EXPECT_EQ(panel.calls,
            (std::vector<std::string>{"copyClipboard", "copyFile", "copyClipboard", "copyPath"}));
}

TEST(LauncherRouting, ASelectedClipboardRowIsCopiedBeforeAnyFile) {
  Panel panel;
  panel.clipboardCopies = true;
  EXPECT_EQ(panel.copy({.command = true}), Routing::consumed);
  EXPECT_EQ(panel.calls, std::vector<std::string>{"copyClipboard"});
}

TEST(LauncherRouting, InsideOurWindowsOnLinuxCtrlIsCommand) {
  Panel panel;
  panel.state.commandIsControl = true;
  EXPECT_EQ(panel.copy({.shift = true, .control = true}), Routing::consumed);
  EXPECT_EQ(panel.key(KeyCode::returnKey, {.control = true}), Routing::consumed);
  // Super+C is not a copy inside the panel.
  panel.copy({.command = true});
  EXPECT_EQ(panel.calls, (std::vector<std::string>{"copyClipboard", "copyPath", "clipboardKey", "previewRun",
                                                   "clipboardKey"}));
}

TEST(LauncherRouting, CtrlNAndCtrlPMoveThePreviewOnEverySystem) {
  for (const bool commandIsControl : {false, true}) {
    Panel panel;
    panel.state.commandIsControl = commandIsControl;
    EXPECT_EQ(panel.key(KeyCode::n, {.control = true}), Routing::consumed);
    EXPECT_EQ(panel.key(KeyCode::p, {.control = true}), Routing::consumed);
    EXPECT_EQ(panel.calls, (std::vector<std::string>{"clipboardKey", "move 1", "clipboardKey", "move -1"}));
  }
}

TEST(LauncherRouting, ClipboardContentTakesKeysBeforeTheFileResults) {
  Panel panel;
  panel.clipboardTakesKey = true;
  EXPECT_EQ(panel.key(KeyCode::downArrow), Routing::consumed);
  EXPECT_EQ(panel.calls, std::vector<std::string>{"clipboardKey"});
}

TEST(LauncherRouting, ReturnOpensTheFileAndOptionReturnRevealsIt) {
  Panel panel;
  EXPECT_EQ(panel.key(KeyCode::keypadEnter), Routing::consumed);
  EXPECT_EQ(panel.key(KeyCode::returnKey, {.option = true}), Routing::consumed);
  EXPECT_EQ(panel.calls, (std::vector<std::string>{"clipboardKey", "fileReturn", "clipboardKey", "reveal"}));
}

TEST(LauncherRouting, PreviewKeysNeedTheFieldOfThisPanel) {
  Panel panel;
  EXPECT_EQ(panel.key(KeyCode::pageDown), Routing::consumed);
  panel.field.belongsToPanel = false;
  EXPECT_EQ(panel.key(KeyCode::pageUp), Routing::normal);
  EXPECT_EQ(panel.calls, (std::vector<std::string>{"clipboardKey", "move 8", "clipboardKey"}));
}

}  // namespace
}  // namespace quillo::app

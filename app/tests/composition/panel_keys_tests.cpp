#include <gtest/gtest.h>

#include <string>

#include "application_components_fixture.h"
#include "quillo/app/clipboard/pasteboard_types.h"
#include "quillo/core/files/fff_library.h"

namespace quillo::app {
namespace {

using Content = LauncherPresentation::Content;

// The panel's keys as the desktop front end hands them to the application, on Linux (Ctrl plays
// Command), with a text editor behind the panel.
struct PanelKeysTest : ApplicationComponentsTest {
  platform::FrontApplication editor{.pid = 10, .id = "org.gnome.TextEditor", .name = "Text Editor"};
  SearchFieldState emptyField{.isFirstResponder = true, .isEmpty = true};

  void SetUp() override {
    workspace.running = {{.pid = editor.pid, .bundleID = editor.id, .bundlePath = {}}};
    workspace.front = editor;
    start();
  }

  ClipboardModel& clipboard() { return components->clipboardModel(); }

  // Another application's copy, once the history has recorded it.
  void copied(const std::string& text) {
    pasteboard.copyText(text);
    main.advance(std::chrono::milliseconds(250));
    ASSERT_TRUE(main.runUntil([&] {
      const auto& entries = clipboard().state().entries;
      return !entries.empty() && entries.front().title == text;
    }));
  }

  void openHistory() {
    press(kV, kClipboardModifiers);
    ASSERT_EQ(application->presentation().content(), Content::clipboard);
    ASSERT_TRUE(main.runUntil([&] { return !clipboard().state().isSearching; }));
  }

  Routing key(int code, KeyModifiers held = {}, std::string letter = "") {
    return application->routeKey(
        {.keyCode = code, .modifiers = held, .charactersIgnoringModifiers = std::move(letter)}, emptyField);
  }

  std::string pasteboardText() const {
    if (pasteboard.items.empty()) return "";
    const auto& data = pasteboard.items.front().representations.front().data;
    return std::string(data.begin(), data.end());
  }

  void settle() {
    for (int round = 0; round < 4; ++round) {
      pool.waitUntilIdle();
      main.drain();
    }
  }
};

TEST_F(PanelKeysTest, DownArrowInTheHistoryMovesTheFocusToTheOlderEntry) {
  copied("older");
  copied("newer");
  openHistory();
  EXPECT_EQ(key(KeyCode::downArrow), Routing::consumed);
  ASSERT_TRUE(clipboard().state().focusedID);
  EXPECT_EQ(*clipboard().state().focusedID, clipboard().state().entries.at(1).id);
}

TEST_F(PanelKeysTest, CtrlPInTheHistoryPinsTheFocusedEntry) {
  copied("keep this");
  openHistory();
  EXPECT_EQ(key(KeyCode::p, {.control = true}, "p"), Routing::consumed);
  settle();
  ASSERT_FALSE(clipboard().state().entries.empty());
  EXPECT_TRUE(clipboard().state().entries.front().isPinned);
}

TEST_F(PanelKeysTest, CtrlCInTheHistoryCopiesTheFocusedEntry) {
  copied("older");
  copied("newer");
  openHistory();
  key(KeyCode::downArrow);
  EXPECT_EQ(key(KeyCode::c, {.control = true}, "c"), Routing::consumed);
  settle();
  EXPECT_EQ(pasteboardText(), "older");
}

TEST_F(PanelKeysTest, ReturnInTheHistoryHidesThePanelAndPastesIntoTheEditor) {
  copied("paste me");
  openHistory();
  pasteboard.copyText("something else");
  EXPECT_EQ(key(KeyCode::returnKey), Routing::consumed);
  settle();
  EXPECT_FALSE(panel.visible);
  EXPECT_EQ(pasteboardText(), "paste me");
  ASSERT_EQ(keyEvents.posted.size(), 1u);
  EXPECT_TRUE(keyEvents.posted.front().control);
}

TEST_F(PanelKeysTest, EscapeInTheHistoryClosesThePreviewAndThenGoesToTheWindow) {
  copied("look at me");
  openHistory();
  key(KeyCode::y, {.control = true}, "y");
  ASSERT_TRUE(clipboard().state().isPreviewing);
  EXPECT_EQ(key(KeyCode::escape), Routing::consumed);
  EXPECT_FALSE(clipboard().state().isPreviewing);
  EXPECT_EQ(key(KeyCode::escape), Routing::normal);
}

TEST_F(PanelKeysTest, HistoryKeysDoNothingWhileTheLauncherIsShown) {
  copied("untouched");
  press(kSpace, kLauncherModifiers);
  EXPECT_EQ(key(KeyCode::backspace, {.control = true}), Routing::normal);
  settle();
  EXPECT_EQ(clipboard().state().totalCount, 1u);
}

TEST_F(PanelKeysTest, BackspaceInTheEmptyFieldLeavesTheFilesScope) {
  press(kSpace, kLauncherModifiers);
  components->searchModel().changeScope(SearchModel::Scope::files);
  EXPECT_EQ(key(KeyCode::backspace), Routing::consumed);
  EXPECT_EQ(components->searchModel().scope(), SearchModel::Scope::commands);
  // In the commands scope there is nowhere to go back to: the field gets the key.
  EXPECT_EQ(key(KeyCode::backspace), Routing::normal);
}

TEST_F(PanelKeysTest, AClipboardRowChosenInTheLauncherPastesIntoTheEditor) {
  copied("meeting notes for friday");
  press(kSpace, kLauncherModifiers);
  components->searchModel().setQuery("meeting notes");
  ASSERT_TRUE(main.runUntil([&] { return components->searchModel().clipboardRow().has_value(); }));
  pasteboard.copyText("something else");
  components->searchModel().run(*components->searchModel().clipboardRow(), false);
  settle();
  EXPECT_FALSE(panel.visible);
  EXPECT_EQ(pasteboardText(), "meeting notes for friday");
  EXPECT_EQ(keyEvents.posted.size(), 1u);
}

TEST_F(PanelKeysTest, AClipboardRowWithNothingBehindTheLauncherIsCopiedAndTheLauncherSaysSo) {
  copied("meeting notes for friday");
  workspace.front.reset();
  press(kSpace, kLauncherModifiers);
  components->searchModel().setQuery("meeting notes");
  ASSERT_TRUE(main.runUntil([&] { return components->searchModel().clipboardRow().has_value(); }));
  pasteboard.copyText("something else");
  components->searchModel().run(*components->searchModel().clipboardRow(), false);
  settle();
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(pasteboardText(), "meeting notes for friday");
  EXPECT_TRUE(keyEvents.posted.empty());
  EXPECT_EQ(components->searchModel().clipboardActionError(),
            "Copied. Switch to the destination app and press Ctrl-V.");
}

TEST_F(PanelKeysTest, CtrlCOnTheClipboardRowAfterTheLastRowCopiesTheEntry) {
  copied("meeting notes for friday");
  press(kSpace, kLauncherModifiers);
  components->searchModel().setQuery("meeting notes");
  ASSERT_TRUE(main.runUntil([&] { return components->searchModel().clipboardRow().has_value(); }));
  pasteboard.copyText("something else");
  // Down past every row, as far as the keyboard goes.
  components->searchModel().moveSelection(int(SearchModel::localLimit));
  const SearchFieldState typed{.isFirstResponder = true, .isEmpty = false};
  EXPECT_EQ(
      application->routeKey(
          {.keyCode = KeyCode::c, .modifiers = {.control = true}, .charactersIgnoringModifiers = "c"}, typed),
      Routing::consumed);
  settle();
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(pasteboardText(), "meeting notes for friday");
  EXPECT_TRUE(keyEvents.posted.empty());
}

// A file result listed in the launcher, from a real file index over a folder in the home folder.
struct FileResultKeysTest : PanelKeysTest {
  std::string report;

  void SetUp() override {
    const std::filesystem::path documents = folder / "Documents";
    report = (documents / "Q3 report.pdf").string();
    testing::writeFile(report, "x");
    loadFileLibrary = [this] { return core::FffLibrary::load(files, {QUILLO_TEST_FFF_LIBRARY}); };
    PanelKeysTest::SetUp();
    components->searchFolders().acceptFileFolders({base::Url::file(documents.string())}, std::nullopt);
    ASSERT_TRUE(main.runUntil([&] { return components->searchFolders().fileIndex() != nullptr; }));
    components->searchFolders().fileIndex()->waitForInitialScan({});
    press(kSpace, kLauncherModifiers);
    components->searchModel().changeScope(SearchModel::Scope::files);
    components->searchModel().setQuery("Q3 report.pdf");
    ASSERT_TRUE(main.runUntil([&] {
      const auto& rows = components->searchModel().rows();
      return !rows.empty() && rows.front().command.isFileResult();
    }));
  }

  Routing copyKey(KeyModifiers held) {
    return application->routeKey(
        {.keyCode = KeyCode::c, .modifiers = held, .charactersIgnoringModifiers = "c"},
        SearchFieldState{.isFirstResponder = true, .isEmpty = false});
  }

  std::vector<std::string> pasteboardTypes() const {
    std::vector<std::string> types;
    for (const auto& item : pasteboard.items)
      for (const auto& representation : item.representations)
        types.push_back(representation.type + " " +
                        std::string(representation.data.begin(), representation.data.end()));
    return types;
  }
};

TEST_F(FileResultKeysTest, CtrlCCopiesTheFileAsAFileManagerDoes) {
  EXPECT_EQ(copyKey({.control = true}), Routing::consumed);
  EXPECT_EQ(pasteboardTypes(), (std::vector<std::string>{
                                   std::string(PasteboardTypes::fileURL) + " " + base::Url::file(report).text,
                                   std::string(PasteboardTypes::string) + " " + report}));
}

TEST_F(FileResultKeysTest, CtrlShiftCCopiesThePath) {
  EXPECT_EQ(copyKey({.shift = true, .control = true}), Routing::consumed);
  EXPECT_EQ(pasteboardTypes(),
            (std::vector<std::string>{std::string(PasteboardTypes::string) + " " + report}));
}

TEST_F(FileResultKeysTest, AFileGoneSinceTheSearchIsNotCopied) {
  pasteboard.copyText("unchanged");
  std::filesystem::remove(report);
  EXPECT_EQ(copyKey({.control = true}), Routing::normal);
  EXPECT_EQ(pasteboardText(), "unchanged");
}

}  // namespace
}  // namespace quillo::app

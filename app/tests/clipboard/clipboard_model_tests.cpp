#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "clipboard_model_fixture.h"

namespace quillo::app {
namespace {

using clipboard::ClipboardPayload;
using platform::PasteboardItem;
using testing::representation;

TEST_F(ClipboardModelTest, SeveralEntriesPasteInTheOrderTheyWereSelected) {
  const auto first = copyText("first");
  const auto second = copyText("second");
  const auto third = copyText("third");
  settings.setSeparator(" | ");
  model.open(ClipboardModel::Mode::paste, editor);
  settle();
  for (const auto& id : {third, first, second})
    model.toggleSelection(id);
  EXPECT_EQ(model.title(ClipboardAction::paste), "Paste 3 Items");
  model.performPrimary();
  settle();
  EXPECT_EQ(pasteboardText(), "third | first | second");
  EXPECT_EQ(keys.posted.size(), 1u);
  EXPECT_EQ(model.state().status, std::nullopt);
}

TEST_F(ClipboardModelTest, ImagesMixedWithTextAreLeftOut) {
  const auto one = copyImage("png one");
  const auto two = copyImage("png two");
  const auto text = copyText("just the words");
  model.open(ClipboardModel::Mode::paste, editor);
  settle();
  for (const auto& id : {one, text, two})
    model.toggleSelection(id);
  EXPECT_EQ(model.selectionNote(), "3 items, in the order of their numbers. Images are left out.");
  model.perform(ClipboardAction::paste);
  settle();
  ASSERT_EQ(board.items.size(), 1u);
  EXPECT_EQ(pasteboardText(), "just the words");
}

TEST_F(ClipboardModelTest, CopyingAFileThatIsGoneReportsItAndLeavesThePasteboardAlone) {
  testing::writeFile(folder / "notes.txt", "x");
  copy({PasteboardItem{
      {representation("public.file-url", base::Url::file((folder / "notes.txt").string()).text)}}});
  std::filesystem::remove(folder / "notes.txt");
  board.copyText("unchanged");
  const auto before = board.items;
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.performPrimary();
  settle();
  EXPECT_EQ(board.items, before);
  EXPECT_EQ(model.state().status,
            "An original file moved, was deleted, or is unavailable. Copy it again from the file manager.");
}

TEST_F(ClipboardModelTest, CopiedEntriesAreMarkedForAMoment) {
  const auto id = copyText("mark me");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.perform(ClipboardAction::copy);
  settle();
  EXPECT_TRUE(model.state().copiedIDs.contains(id));
  main.advance(std::chrono::seconds(2));
  EXPECT_TRUE(model.state().copiedIDs.empty());
}

TEST_F(ClipboardModelTest, TheLauncherIsNeverOfferedAToken) {
  copyText("ghp_abcdefghijklmnopqrstuvwx");
  copyText("ghp release notes");
  EXPECT_EQ(model.launcherMatch("ghp_abcdefghijklmnopqrstuvwx"), std::nullopt);
  const auto match = model.launcherMatch("release notes");
  ASSERT_TRUE(match);
  EXPECT_EQ(std::string_view(match->text), "ghp release notes");
}

TEST_F(ClipboardModelTest, ASearchShowsOnlyMatchingEntriesAndSaysWhenNoneMatch) {
  copyText("apples and pears");
  copyText("plums");
  model.open(ClipboardModel::Mode::browse, editor);
  model.setQuery("pears");
  settle();
  ASSERT_EQ(model.state().entries.size(), 1u);
  EXPECT_EQ(model.state().totalCount, 2u);
  model.setQuery("kiwi");
  settle();
  EXPECT_EQ(model.placeholder()->title,
            "Nothing in your history matches “kiwi”. Press ⇥ to change the filter.");
}

TEST_F(ClipboardModelTest, PinningTogglesForTheWholeSelection) {
  const auto a = copyText("alpha");
  const auto b = copyText("beta");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.toggleSelection(a);
  model.toggleSelection(b);
  EXPECT_EQ(model.title(ClipboardAction::pin), "Pin");
  model.perform(ClipboardAction::pin);
  settle();
  EXPECT_EQ(model.title(ClipboardAction::pin), "Unpin");
  model.setFilter(clipboard::ClipboardFilter::pinned);
  settle();
  EXPECT_EQ(model.state().entries.size(), 2u);
}

TEST_F(ClipboardModelTest, DeletingRemovesTheSelectionAndClearingSaysSo) {
  const auto a = copyText("alpha");
  copyText("beta");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.toggleSelection(a);
  EXPECT_EQ(model.title(ClipboardAction::remove), "Delete from History");
  model.perform(ClipboardAction::remove);
  settle();
  EXPECT_TRUE(model.state().selection.empty());
  EXPECT_EQ(model.state().totalCount, 1u);
  model.clearHistory(true);
  settle();
  EXPECT_EQ(model.state().status, "Clipboard history cleared.");
  EXPECT_EQ(model.placeholder()->title, "Nothing copied yet");
}

TEST_F(ClipboardModelTest, RenamingKeepsTheNewTitleAndIgnoresABlankOne) {
  copyText("long original text");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.perform(ClipboardAction::rename);
  model.commitRename("Short");
  settle();
  model.perform(ClipboardAction::rename);
  model.commitRename("   ");
  settle();
  EXPECT_EQ(model.state().entries.front().title, "Short");
}

TEST_F(ClipboardModelTest, CleanTextIsWhatReturnPastesWhileItIsShown) {
  copyText("# Title\n\n**bold** words");
  model.open(ClipboardModel::Mode::paste, editor);
  settle();
  model.perform(ClipboardAction::cleanText);
  settle();
  EXPECT_EQ(model.state().cleanPreview, "Title\n\nbold words");
  model.performPrimary();
  settle();
  EXPECT_EQ(pasteboardText(), "Title\n\nbold words");
}

TEST_F(ClipboardModelTest, SavedImagesAndTextsGetTheirPlainNames) {
  const auto image = copyImage("\x89PNG not really");
  const auto text = copyText("some words");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.toggleSelection(image);
  model.toggleSelection(text);
  EXPECT_EQ(model.title(ClipboardAction::saveImage), "Save Images…");
  model.saveSelection(folder.path());
  settle();
  std::ifstream saved(folder / "Clipboard text.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "some words");
  EXPECT_TRUE(std::filesystem::exists(folder / "Clipboard image.png"));
}

TEST_F(ClipboardModelTest, SavingAgainNeverReplacesAFileAlreadyThere) {
  testing::writeFile(folder / "Clipboard text.txt", "the user's own");
  model.open(ClipboardModel::Mode::browse, editor);
  model.toggleSelection(copyText("first"));
  model.saveSelection(folder.path());
  settle();
  model.saveSelection(folder.path());
  settle();
  const auto text = [&](const char* name) {
    std::ifstream saved(folder / name);
    return std::string(std::istreambuf_iterator<char>(saved), {});
  };
  EXPECT_EQ(text("Clipboard text.txt"), "the user's own");
  EXPECT_EQ(text("Clipboard text 2.txt"), "first");
  EXPECT_EQ(text("Clipboard text 3.txt"), "first");
}

TEST_F(ClipboardModelTest, ASaveThatCannotBeWrittenSaysWhichFile) {
  testing::writeFile(folder / "not-a-folder", "x");
  model.open(ClipboardModel::Mode::browse, editor);
  model.toggleSelection(copyText("words"));
  model.saveSelection(folder / "not-a-folder");
  settle();
  EXPECT_EQ(model.state().status, "Could not save “Clipboard text.txt”.");
}

TEST_F(ClipboardAppTest, AHistoryThatCannotBeOpenedSaysWhy) {
  testing::writeFile(folder / "not-a-folder", "x");
  ClipboardModel model{{board, keys, workspace, system, main, clock, pool, files}, settings, tagger};
  EXPECT_EQ(model.placeholder()->title, "Opening history…");
  model.start(folder / "not-a-folder" / "history.sqlite", true);
  ASSERT_TRUE(main.runUntil([&] { return model.state().status.has_value(); }));
  EXPECT_FALSE(model.state().isReady);
  model.perform(ClipboardAction::copy);
  EXPECT_EQ(model.state().status, "Clipboard history is not open yet.");
}

TEST_F(ClipboardAppTest, AModelStoppedWhileItsHistoryOpensNeverRecords) {
  ClipboardModel model{{board, keys, workspace, system, main, clock, pool, files}, settings, tagger};
  model.start(folder / "history.sqlite", true);
  model.stop();
  ASSERT_TRUE(main.runUntil([&] { return model.state().isReady; }));
  EXPECT_FALSE(model.isMonitoring());
}

TEST(ClipboardActions, TitlesCountSeveralItems) {
  EXPECT_EQ(title(ClipboardAction::copy, 1), "Copy");
  EXPECT_EQ(title(ClipboardAction::copy, 4), "Copy 4 Items");
  EXPECT_EQ(title(ClipboardAction::remove, 2), "Delete 2 Items from History");
  EXPECT_EQ(title(ClipboardAction::pastePlain, 3), "Paste as Plain Text");
}

TEST_F(ClipboardAppTest, TextInCopiedImagesBecomesSearchableInTheBackground) {
  ClipboardModel model{{board, keys, workspace, system, main, clock, pool, files}, settings, tagger};
  model.start(folder / "history.sqlite", true);
  ASSERT_TRUE(main.runUntil([&] { return model.state().isReady; }));
  std::ifstream file(std::string(QUILLO_CLIPBOARD_TEST_DATA) + "/known-text.png", std::ios::binary);
  board.copy({PasteboardItem{
      {representation("public.png", std::string(std::istreambuf_iterator<char>(file), {}))}}});
  main.advance(std::chrono::milliseconds(250));
  model.open(ClipboardModel::Mode::browse, std::nullopt);
  model.setQuery("copied text");
  EXPECT_TRUE(main.runUntil([&] {
    if (model.state().entries.empty() && !model.state().isSearching) model.refresh();
    return !model.state().entries.empty();
  }));
}

TEST_F(ClipboardModelTest, SelectAllTakesTheListedResultsInListOrder) {
  const auto older = copyText("older");
  const auto newer = copyText("newer");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.perform(ClipboardAction::selectAll);
  EXPECT_EQ(model.state().selection, (std::vector<base::Uuid>{newer, older}));
}

TEST_F(ClipboardModelTest, APreviewNeverShowsATokenInPlainText) {
  copyText("ghp_abcdefghijklmnopqrstuvwx");
  model.open(ClipboardModel::Mode::browse, editor);
  settle();
  model.perform(ClipboardAction::preview);
  EXPECT_TRUE(model.state().isPreviewing);
  EXPECT_EQ(model.state().previewText, std::nullopt);
  copyText("plain words");
  model.focus(model.state().entries.front().id);
  EXPECT_EQ(model.state().previewText, "plain words");
}

TEST_F(ClipboardModelTest, AnImageEntryHasAPNGThumbnail) {
  std::ifstream file(std::string(QUILLO_CLIPBOARD_TEST_DATA) + "/known-text.png", std::ios::binary);
  const auto id = copyImage(std::string(std::istreambuf_iterator<char>(file), {}));
  const clipboard::Bytes& thumbnail = model.thumbnail(id);
  ASSERT_GT(thumbnail.size(), 8u);
  EXPECT_EQ(std::string(thumbnail.begin() + 1, thumbnail.begin() + 4), "PNG");
  EXPECT_TRUE(model.thumbnail(copyText("words")).empty());
}

}  // namespace
}  // namespace quillo::app

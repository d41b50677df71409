#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "clipboard_model_fixture.h"
#include "quillo/app/clipboard/clipboard_keys.h"

namespace quillo::app {
namespace {

using namespace clipboard_key;
using Ids = std::vector<base::Uuid>;

// Four texts, listed newest first: d, c, b, a.
struct ClipboardModelKeysTest : ClipboardModelTest {
  base::Uuid a, b, c, d;

  void SetUp() override {
    ClipboardModelTest::SetUp();
    a = copyText("a");
    b = copyText("b");
    c = copyText("c");
    d = copyText("d");
    model.open(ClipboardModel::Mode::paste, editor);
    settle();
  }

  bool press(const ClipboardKey& key) { return applyClipboardKey(model, key); }
};

TEST_F(ClipboardModelKeysTest, ArrowsMoveTheFocusAndStopAtEitherEnd) {
  ASSERT_EQ(model.state().focusedID, d);
  EXPECT_TRUE(press(MoveFocus{1}));
  EXPECT_EQ(model.state().focusedID, c);
  press(MoveFocus{8});
  EXPECT_EQ(model.state().focusedID, a);
  press(MoveFocus{-1});
  EXPECT_EQ(model.state().focusedID, b);
  press(MoveFocus{-8});
  EXPECT_EQ(model.state().focusedID, d);
  EXPECT_TRUE(model.state().selection.empty());
}

TEST_F(ClipboardModelKeysTest, ShiftArrowsSelectARangeAfterWhatWasSelectedAndShrinkBack) {
  model.toggleSelection(a);
  model.focus(d);
  press(ExtendSelection{1});
  EXPECT_EQ(model.state().selection, (Ids{a, d, c}));
  press(ExtendSelection{1});
  EXPECT_EQ(model.state().selection, (Ids{a, d, c, b}));
  press(ExtendSelection{-1});
  EXPECT_EQ(model.state().selection, (Ids{a, d, c}));
  EXPECT_EQ(model.state().focusedID, c);
}

TEST_F(ClipboardModelKeysTest, ARangeExtendedUpwardsFollowsTheFocusInItsOrder) {
  model.focus(b);
  press(ExtendSelection{-2});
  EXPECT_EQ(model.state().selection, (Ids{b, c, d}));
  // A plain move ends the range: the next one starts where the focus is.
  press(MoveFocus{3});
  press(ExtendSelection{-1});
  EXPECT_EQ(model.state().selection, (Ids{b, c, d, a}));
}

TEST_F(ClipboardModelKeysTest, ARangeStartsAtTheTopWhenTheFocusedEntryIsNoLongerListed) {
  model.focus(a);
  model.setQuery("d");
  settle();
  ASSERT_EQ(model.state().entries.size(), 1u);
  press(ExtendSelection{1});
  EXPECT_EQ(model.state().selection, (Ids{d}));
}

TEST_F(ClipboardModelKeysTest, ShiftSpaceAddsTheFocusedEntryAndTakesItOutAgain) {
  press(MoveFocus{2});
  press(ToggleSelection{});
  press(MoveFocus{-2});
  press(ToggleSelection{});
  EXPECT_EQ(model.state().selection, (Ids{b, d}));
  press(ToggleSelection{});
  EXPECT_EQ(model.state().selection, (Ids{b}));
}

TEST_F(ClipboardModelKeysTest, EscapeClosesThePreviewBeforeTheWindow) {
  press(ClipboardAction::preview);
  ASSERT_EQ(model.state().previewText, "d");
  EXPECT_TRUE(press(Escape{}));
  EXPECT_FALSE(model.state().isPreviewing);
  EXPECT_FALSE(press(Escape{}));
}

TEST_F(ClipboardModelKeysTest, EscapeCancelsARename) {
  press(ClipboardAction::rename);
  ASSERT_TRUE(model.state().isRenaming);
  EXPECT_TRUE(press(Escape{}));
  EXPECT_FALSE(model.state().isRenaming);
}

TEST_F(ClipboardModelKeysTest, ThePreviewActionIsNamedInLinuxWords) {
  EXPECT_EQ(model.title(ClipboardAction::preview), "Preview");
}

TEST_F(ClipboardModelKeysTest, ShiftTabGoesBackToTheLastFilterFromTheFirst) {
  press(PreviousFilter{});
  EXPECT_EQ(model.state().filter, clipboard::kAllClipboardFilters.back());
  press(NextFilter{});
  EXPECT_EQ(model.state().filter, clipboard::ClipboardFilter::all);
}

TEST_F(ClipboardModelKeysTest, ReturnPastesTheSelectionIntoTheTarget) {
  press(MoveFocus{1});
  press(ToggleSelection{});
  press(MoveFocus{-1});
  press(ToggleSelection{});
  press(Primary{});
  settle();
  EXPECT_EQ(pasteboardText(), "c\nd");
  EXPECT_EQ(keys.posted.size(), 1u);
}

TEST_F(ClipboardModelKeysTest, PastesAndCopiesAreReportedForTheUsageSignals) {
  std::vector<Interaction> reported;
  model.onInteraction = [&](Interaction interaction) { reported.push_back(interaction); };
  press(ClipboardAction::copy);
  settle();
  press(Primary{});
  settle();
  EXPECT_EQ(reported, (std::vector<Interaction>{Interaction::copy, Interaction::paste}));
}

TEST_F(ClipboardModelKeysTest, CommandBackspaceDeletesTheFocusedEntry) {
  press(ClipboardAction::remove);
  settle();
  EXPECT_EQ(model.state().totalCount, 3u);
  EXPECT_EQ(model.state().focusedID, c);
}

// One entry by its id, as a clipboard row chosen in the launcher.
struct ClipboardModelOneEntryTest : ClipboardModelTest {};

TEST_F(ClipboardModelOneEntryTest, PastesIntoTheGivenApplicationLeavingTheSelectionAlone) {
  const auto first = copyText("first");
  const auto second = copyText("second");
  model.open(ClipboardModel::Mode::browse, std::nullopt);
  settle();
  model.toggleSelection(second);
  std::optional<std::optional<std::string>> answer;
  model.paste(first, editor, [&](std::optional<std::string> message) { answer = std::move(message); });
  settle();
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, std::nullopt);
  EXPECT_EQ(pasteboardText(), "first");
  EXPECT_EQ(keys.posted.size(), 1u);
  EXPECT_EQ(model.state().selection, (Ids{second}));
}

TEST_F(ClipboardModelOneEntryTest, WithoutAnApplicationToPasteIntoIsCopiedWithAMessage) {
  const auto entry = copyText("by hand");
  std::optional<std::optional<std::string>> answer;
  model.paste(entry, std::nullopt, [&](std::optional<std::string> message) { answer = std::move(message); });
  settle();
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, "Copied. Switch to the destination app and press Ctrl-V.");
  EXPECT_EQ(pasteboardText(), "by hand");
  EXPECT_TRUE(keys.posted.empty());
}

TEST_F(ClipboardModelOneEntryTest, CopiedByItsIdIsMarkedCopied) {
  const auto entry = copyText("copy me");
  copyText("newer");
  std::optional<std::optional<std::string>> answer;
  model.copy(entry, [&](std::optional<std::string> message) { answer = std::move(message); });
  settle();
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, std::nullopt);
  EXPECT_EQ(pasteboardText(), "copy me");
  EXPECT_TRUE(model.state().copiedIDs.contains(entry));
}

}  // namespace
}  // namespace quillo::app

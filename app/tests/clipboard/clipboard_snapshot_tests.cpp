#include <gtest/gtest.h>

#include <string>

#include "quillo/app/clipboard/clipboard_snapshot.h"
#include "quillo/testing/fake_pasteboard.h"

namespace quillo::app {
namespace {

using platform::PasteboardItem;
using testing::representation;

PasteboardItem item(std::initializer_list<std::pair<std::string_view, std::string>> representations) {
  PasteboardItem made;
  for (const auto& [type, data] : representations)
    made.representations.push_back(representation(type, data));
  return made;
}

struct ClipboardSnapshotTest : ::testing::Test {
  testing::FakePasteboard board;
  core::ClipboardPreferences preferences{.isEnabled = true};
  ConcealedCopies concealed;
  std::chrono::steady_clock::time_point start{std::chrono::hours(1)};

  std::optional<clipboard::CapturedCopy> snapshot(std::string appID = "org.gnome.TextEditor",
                                                  std::chrono::steady_clock::time_point at = {}) {
    const SnapshotContext context{.appID = std::move(appID),
                                  .appName = "Text Editor",
                                  .now = base::Date{1000},
                                  .steadyNow = at == decltype(at){} ? start : at};
    return takeSnapshot(board, context, preferences, concealed);
  }
};

TEST_F(ClipboardSnapshotTest, CopiesFromExcludedApplicationsAreSkipped) {
  board.copyText("hunter2 is my password");
  EXPECT_FALSE(snapshot("org.keepassxc.KeePassXC"));
  board.copy(
      {item({{"public.utf8-plain-text", "hunter2"}, {"org.nspasteboard.source", "com.bitwarden.desktop"}})});
  EXPECT_FALSE(snapshot());
}

TEST_F(ClipboardSnapshotTest, ConcealedAndPasswordManagerHintsSkipBeforeAnyDataIsRead) {
  for (const std::string_view marker :
       {"org.nspasteboard.ConcealedType", "x-kde-passwordManagerHint", "text/x-kde-passwordManagerHint",
        "org.nspasteboard.TransientType", "com.brightmoor.quillo.clipboard-write"}) {
    board.copy({item({{"public.png", std::string(1000, 'p')}, {std::string(marker), "secret"}})});
    board.reads.clear();
    EXPECT_FALSE(snapshot()) << marker;
    EXPECT_TRUE(board.reads.empty()) << marker;
  }
}

TEST_F(ClipboardSnapshotTest, TextOfAConcealedCopyRepublishedWithoutItsHintIsSkippedForTenMinutes) {
  board.copy({item({{"public.utf8-plain-text", "correct horse"}, {"x-kde-passwordManagerHint", "1"}})});
  EXPECT_FALSE(snapshot());
  board.copyText("correct horse");
  EXPECT_FALSE(snapshot());
  EXPECT_TRUE(snapshot("org.gnome.TextEditor", start + std::chrono::minutes(10)));
}

TEST_F(ClipboardSnapshotTest, TextOverOneMegabyteIsSkippedWithoutReadingItWhole) {
  const std::string rtf = "{\\rtf1\\ansi " + std::string(1'500'000, 'a') + "}";
  board.copy({item({{"public.rtf", rtf}})});
  EXPECT_FALSE(snapshot());

  board.copy({item({{"public.rtf", "{\\rtf1\\ansi {\\fonttbl\\f0 Helvetica;}\\f0 Hello\\par " +
                                       std::string(900'000, 'b') + "}"}})});
  const auto copy = snapshot();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->kind, clipboard::ClipboardKind::text);
  EXPECT_TRUE(copy->text.starts_with("Hello\nbbb"));
  // The RTF's text is added as plain text for the history and for pasting as plain text.
  EXPECT_EQ(copy->payload.items[0].back().type, "public.utf8-plain-text");
}

TEST_F(ClipboardSnapshotTest, ImagesOverThirtyTwoMegabytesTogetherAreSkipped) {
  const std::string twenty(20 * 1024 * 1024, 'x');
  board.copy({item({{"public.png", twenty}}), item({{"public.png", twenty}})});
  EXPECT_FALSE(snapshot());
  board.copy({item({{"public.png", twenty}})});
  const auto one = snapshot();
  ASSERT_TRUE(one);
  EXPECT_EQ(one->kind, clipboard::ClipboardKind::image);
}

TEST_F(ClipboardSnapshotTest, ALoneWebAddressIsALinkAndASentenceWithOneIsText) {
  board.copyText("  https://example.org/page \n");
  EXPECT_EQ(snapshot()->kind, clipboard::ClipboardKind::link);
  board.copyText("see https://example.org/page for more");
  EXPECT_EQ(snapshot()->kind, clipboard::ClipboardKind::text);
}

TEST_F(ClipboardSnapshotTest, AFileListIsOneFileCopyOfAllItsPaths) {
  board.copy({item({{"public.file-url", "file:///home/u/a.txt"}}),
              item({{"public.file-url", "file:///home/u/b.txt"}}),
              item({{"public.file-url", "file:///home/u/c%20d.txt"}})});
  const auto copy = snapshot();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->kind, clipboard::ClipboardKind::file);
  EXPECT_EQ(copy->text, "/home/u/a.txt\n/home/u/b.txt\n/home/u/c d.txt");
}

TEST_F(ClipboardSnapshotTest, SwitchedOffKindsAreNotCaptured) {
  preferences.saveImages = false;
  board.copy({item({{"public.png", "png"}})});
  EXPECT_FALSE(snapshot());
  preferences.saveText = false;
  board.copyText("words");
  EXPECT_FALSE(snapshot());
}

TEST_F(ClipboardSnapshotTest, RemoteJPEGFilesAreReadLaterAsImages) {
  board.copy({item({{"com.apple.is-remote-clipboard", ""}, {"public.file-url", "file:///tmp/IMG_1.JPG"}})});
  const auto copy = snapshot();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->kind, clipboard::ClipboardKind::image);
  EXPECT_EQ(copy->sourceAppName, "iCloud");
  EXPECT_EQ(copy->imageFiles, std::vector<std::filesystem::path>{"/tmp/IMG_1.JPG"});
}

TEST_F(ClipboardSnapshotTest, ThePageCopiedFromIsKeptWhenItIsAWebAddress) {
  board.copy(
      {item({{"public.utf8-plain-text", "quote"}, {"org.chromium.source-url", "https://example.org/a"}})});
  EXPECT_EQ(snapshot()->sourceURL, base::Url{"https://example.org/a"});
  board.copy({item({{"public.utf8-plain-text", "quote"}, {"org.chromium.source-url", "chrome://settings"}})});
  EXPECT_EQ(snapshot()->sourceURL, std::nullopt);
}

}  // namespace
}  // namespace quillo::app

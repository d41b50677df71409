#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "quillo/platform/desktop/clipboard_types.h"
#include "quillo/platform/desktop/mime_pasteboard.h"
#include "quillo/platform/desktop/x11_selection.h"
#include "quillo/testing/temporary_folder.h"
#include "selection_owner_process.h"

namespace quillo::platform::desktop {
namespace {

using Types = std::vector<std::vector<std::string>>;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

struct X11Pasteboard : ::testing::Test {
  std::string file(const std::string& name, const std::string& contents) {
    const auto path = (folder.path() / name).string();
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }
  // Waits until the pasteboard has seen `changes` changes since the test began.
  void waitForChanges(std::int64_t changes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (board.changeCount() < start + changes && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(board.changeCount(), start + changes);
  }

  testing::TemporaryFolder folder;
  MimePasteboard board{std::make_unique<X11Selection>()};
  std::int64_t start = board.changeCount();
};

TEST_F(X11Pasteboard, AnotherProgramsCopyIsListedInTypesBeforeItsDataIsRead) {
  SelectionOwner owner({"UTF8_STRING=" + file("t", "hunter2"), "text/html=" + file("h", "<b>x</b>"),
                        "x-kde-passwordManagerHint=" + file("k", "secret")});
  waitForChanges(1);
  EXPECT_EQ(board.itemTypes(),
            (Types{{"public.utf8-plain-text", "public.html", "org.nspasteboard.ConcealedType"}}));
  EXPECT_EQ(board.read(0, "public.utf8-plain-text", 100),
            (PasteboardRead{PasteboardRead::Outcome::data, bytes("hunter2")}));
  EXPECT_EQ(board.read(0, "public.utf8-plain-text", 3).outcome, PasteboardRead::Outcome::overLimit);
  EXPECT_EQ(board.read(0, "public.png", 100).outcome, PasteboardRead::Outcome::absent);
}

TEST_F(X11Pasteboard, AFileListOfThreeFilesIsThreeItems) {
  SelectionOwner owner(
      {"text/uri-list=" + file("u", "# copied\r\nfile:///a/one\r\nfile:///b/two\r\nfile:///c/3\r\n"),
       "UTF8_STRING=" + file("t", "/a/one\n/b/two\n/c/3")});
  waitForChanges(1);
  const auto items = board.itemTypes();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2], std::vector<std::string>{"public.file-url"});
  EXPECT_EQ(board.read(1, "public.file-url", 100).bytes, bytes("file:///b/two"));
}

TEST_F(X11Pasteboard, OurCopiesCarryTheMarkerAndPasteInOtherPrograms) {
  std::string png(600'000, '\x89');
  board.write({PasteboardItem{{{"public.utf8-plain-text", bytes("hello")},
                               {"public.png", std::vector<std::uint8_t>(png.begin(), png.end())},
                               {"com.brightmoor.quillo.clipboard-write", {}}}}});
  waitForChanges(1);
  X11SelectionReader other(nullptr);
  const auto targets = other.targets();
  for (const char* target :
       {"UTF8_STRING", "text/plain;charset=utf-8", "image/png", "application/x-quillo-clipboard-write"})
    EXPECT_NE(std::find(targets.begin(), targets.end(), target), targets.end()) << target;
  EXPECT_EQ(other.read("UTF8_STRING", 100).bytes, "hello");
  EXPECT_EQ(other.read("image/png", 1 << 20).bytes, png);  // in INCR chunks
  const auto ours = board.itemTypes();
  ASSERT_EQ(ours.size(), 1u);
  EXPECT_NE(std::find(ours[0].begin(), ours[0].end(), "com.brightmoor.quillo.clipboard-write"),
            ours[0].end());
}

TEST_F(X11Pasteboard, ClearingLeavesNothingToPaste) {
  board.write({PasteboardItem{{{"public.utf8-plain-text", bytes("gone soon")}}}});
  board.clear();
  waitForChanges(2);
  EXPECT_TRUE(board.itemTypes().empty());
}

TEST(ClipboardTypes, FileListsAndTargetsMapBothWays) {
  EXPECT_EQ(urisOfList("copy\nfile:///x\nfile:///y"), (std::vector<std::string>{"file:///x", "file:///y"}));
  EXPECT_EQ(urisOfList("#c\r\nfile:///x\r\n\r\n"), std::vector<std::string>{"file:///x"});
  EXPECT_EQ(typesForTargets({"TARGETS", "UTF8_STRING", "STRING", "text/plain", "chromium/x-source-url",
                             "text/x-kde-passwordManagerHint", "application/x-unknown"}),
            (std::vector<std::string>{"public.utf8-plain-text", "org.chromium.source-url",
                                      "org.nspasteboard.ConcealedType", "application/x-unknown"}));
  EXPECT_EQ(targetsForType("public.rtf"), (std::vector<std::string>{"text/rtf", "application/rtf"}));
}

}  // namespace
}  // namespace quillo::platform::desktop

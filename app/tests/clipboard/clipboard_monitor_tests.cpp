#include <gtest/gtest.h>

#include "clipboard_app_fixture.h"
#include "quillo/app/clipboard/clipboard_monitor.h"

namespace quillo::app {
namespace {

using platform::PasteboardItem;
using testing::representation;

struct ClipboardMonitorTest : ClipboardAppTest {
  std::shared_ptr<clipboard::ClipboardStore> store =
      std::make_shared<clipboard::ClipboardStore>(folder / "history.sqlite");
  std::unique_ptr<ClipboardMonitor> monitor = makeMonitor();
  std::vector<std::optional<std::string>> statuses;

  std::unique_ptr<ClipboardMonitor> makeMonitor() {
    workspace.front =
        platform::FrontApplication{.pid = 7, .id = "org.gnome.TextEditor", .name = "Text Editor"};
    auto made = std::make_unique<ClipboardMonitor>(
        ClipboardMonitor::Services{board, workspace, main, clock, pool}, settings, store, tagger);
    made->onStatus = [this](std::optional<std::string> message) { statuses.push_back(std::move(message)); };
    return made;
  }

  std::vector<std::string> texts() {
    std::vector<std::string> found;
    for (const auto& entry : store->search("", clipboard::ClipboardFilter::all, 50))
      found.emplace_back(entry.text);
    return found;
  }

  // One polling pass and whatever it started.
  void pass() {
    main.advance(std::chrono::milliseconds(250));
    settle();
  }
};

TEST_F(ClipboardMonitorTest, WhatIsOnThePasteboardAtStartIsNotRecorded) {
  board.copyText("before");
  monitor = makeMonitor();
  monitor->start();
  pass();
  board.copyText("after");
  pass();
  EXPECT_EQ(texts(), std::vector<std::string>{"after"});
}

TEST_F(ClipboardMonitorTest, ACopyMadeWhileRecordingWasOffIsNotRecordedWhenItIsTurnedOn) {
  settings.setEnabled(false);
  monitor->start();
  board.copyText("while off");
  main.advance(std::chrono::seconds(5));
  settle();
  settings.setEnabled(true);
  main.advance(std::chrono::seconds(5));
  settle();
  EXPECT_TRUE(texts().empty());
  board.copyText("next");
  pass();
  EXPECT_EQ(texts(), std::vector<std::string>{"next"});
}

TEST_F(ClipboardMonitorTest, ThreeFilesAreOneEntryTitledByTheirCountAndFirstName) {
  monitor->start();
  board.copy({PasteboardItem{{representation("public.file-url", "file:///home/u/report.pdf")}},
              PasteboardItem{{representation("public.file-url", "file:///home/u/b.txt")}},
              PasteboardItem{{representation("public.file-url", "file:///home/u/c.txt")}}});
  pass();
  const auto entries = store->search("", clipboard::ClipboardFilter::all, 5);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].kind, clipboard::ClipboardKind::file);
  EXPECT_EQ(entries[0].title, "3 files · report.pdf");
  EXPECT_EQ(entries[0].sourceAppID, "org.gnome.TextEditor");
}

TEST_F(ClipboardMonitorTest, ACopyThatChangesWhileItIsReadIsSkippedForTheNewerOne) {
  monitor->start();
  main.drain();  // the first pass, which finds nothing new
  board.copyText("first");
  board.duringNextRead = [](testing::FakePasteboard& changing) { changing.copyText("second"); };
  pass();
  EXPECT_TRUE(texts().empty());
  pass();
  EXPECT_EQ(texts(), std::vector<std::string>{"second"});
}

TEST_F(ClipboardMonitorTest, StoppingDropsTheCopyBeingPrepared) {
  board.copyText("in flight");
  monitor->poll();  // takes the snapshot and starts preparing it on a worker
  monitor->stop();
  settle();
  EXPECT_TRUE(texts().empty());
}

TEST_F(ClipboardMonitorTest, AnIdlePassReadsOnlyTheChangeCount) {
  monitor->start();
  pass();
  board.reads.clear();
  const int before = board.changeCountReads;
  pass();
  EXPECT_EQ(board.changeCountReads, before + 1);
  EXPECT_TRUE(board.reads.empty());
}

TEST_F(ClipboardMonitorTest, TheStoreIsPrunedEveryTenMinutes) {
  settings.setRetentionDays(1);
  monitor->start();
  board.copyText("old news");
  pass();
  ASSERT_EQ(texts().size(), 1u);
  clock.setDate(base::Date{clock.now().secondsSince1970 + 2 * 86400});
  pass();
  EXPECT_TRUE(texts().empty());
}

TEST_F(ClipboardMonitorTest, AFullStoreIsReportedAndTheNextSaveClearsIt) {
  monitor->start();
  store->setPinned(store
                       ->save(clipboard::ClipboardEntry({.id = base::Uuid::random(), .text = "pinned"}),
                              clipboard::ClipboardPayload::text(std::string(17 * 1024 * 1024, 'p')), {},
                              settings.limits(), clock.now())
                       .id,
                   true, clock.now());
  settings.setStorageMB(16);
  board.copyText("no room");
  pass();
  ASSERT_FALSE(statuses.empty());
  EXPECT_TRUE(statuses.back().has_value());
  settings.setStorageMB(256);
  board.copyText("room again");
  pass();
  EXPECT_EQ(statuses.back(), std::nullopt);
}

}  // namespace
}  // namespace quillo::app

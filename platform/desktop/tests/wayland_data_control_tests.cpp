#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "quillo/platform/desktop/mime_pasteboard.h"
#include "quillo/platform/desktop/wayland_data_control.h"

namespace quillo::platform::desktop {
namespace {

// What a command of another Wayland program prints.
std::string output(const std::string& command) {
  std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
  std::string text;
  char buffer[4096];
  while (const auto n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
    text.append(buffer, n);
  return text;
}

struct WaylandClipboard : ::testing::Test {
  void SetUp() override {
    ASSERT_NE(std::getenv("WAYLAND_DISPLAY"), nullptr) << "run under scripts/with-test-wayland";
  }

  // Other programs and the compositor answer in their own time.
  static bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return done();
  }
};

TEST_F(WaylandClipboard, AnotherProgramsCopyIsSeenAndReadWithItsCap) {
  WaylandDataControl clipboard;
  EXPECT_EQ(clipboard.protocol(), "zwlr_data_control_manager_v1");
  const auto before = clipboard.changeCount();
  ASSERT_EQ(std::system("wl-copy --type text/html '<b>hello</b>'"), 0);
  ASSERT_TRUE(eventually([&] { return clipboard.changeCount() != before; }));
  const auto targets = clipboard.targets();
  EXPECT_NE(std::find(targets.begin(), targets.end(), "text/html"), targets.end());
  EXPECT_EQ(clipboard.read("text/html", 100), (SelectionRead{SelectionRead::Outcome::data, "<b>hello</b>"}));
  EXPECT_EQ(clipboard.read("text/html", 5).outcome, SelectionRead::Outcome::tooLarge);
  EXPECT_EQ(clipboard.read("image/png", 100).outcome, SelectionRead::Outcome::refused);
}

TEST_F(WaylandClipboard, OurCopiesPasteInOtherProgramsWithTheirMarker) {
  MimePasteboard board(std::make_unique<WaylandDataControl>());
  const std::string text = "from the history";
  board.write({PasteboardItem{{{"public.utf8-plain-text", {text.begin(), text.end()}},
                               {"com.brightmoor.quillo.clipboard-write", {}}}}});
  const auto types = output("wl-paste --list-types");
  EXPECT_NE(types.find("application/x-quillo-clipboard-write"), std::string::npos) << types;
  EXPECT_EQ(output("wl-paste --no-newline --type 'text/plain;charset=utf-8'"), text);
  // And the pasteboard sees its own copy, marker included, so the history skips it.
  const auto items = board.itemTypes();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_NE(std::find(items[0].begin(), items[0].end(), "com.brightmoor.quillo.clipboard-write"),
            items[0].end());
}

TEST_F(WaylandClipboard, ClearingEmptiesTheClipboard) {
  WaylandDataControl clipboard;
  clipboard.own({{"text/plain", "x"}});
  ASSERT_TRUE(eventually([&] { return clipboard.targets() == std::vector<std::string>{"text/plain"}; }));
  clipboard.own({});
  EXPECT_TRUE(eventually([&] { return clipboard.targets().empty(); }));
}

}  // namespace
}  // namespace quillo::platform::desktop

namespace quillo::platform::desktop {
namespace {

TEST(WaylandDiagnostics, AHeadlessSwaySessionIsWaylandWithDataControl) {
  const auto facts = probeSession();
  EXPECT_EQ(facts.displayServer, SessionFacts::DisplayServer::wayland);
  EXPECT_EQ(facts.dataControl, "zwlr_data_control_manager_v1");
}

}  // namespace
}  // namespace quillo::platform::desktop

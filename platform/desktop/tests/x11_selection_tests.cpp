#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "quillo/platform/desktop/x11_selection_reader.h"
#include "quillo/platform/desktop/x11_selection_watcher.h"
#include "quillo/testing/temporary_folder.h"
#include "selection_owner_process.h"

namespace quillo::platform::desktop {
namespace {

struct X11SelectionTest : ::testing::Test {
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under scripts/with-test-desktop";
  }

  std::string file(const std::string& name, const std::string& contents) {
    const auto path = (folder.path() / name).string();
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  testing::TemporaryFolder folder;
};

TEST_F(X11SelectionTest, TheChangeCountMovesWhenAnotherClientCopies) {
  X11SelectionWatcher watcher(nullptr, "CLIPBOARD");
  const auto before = watcher.changeCount();
  SelectionOwner owner({"UTF8_STRING=" + file("text", "hello")});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (watcher.changeCount() == before && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GT(watcher.changeCount(), before);
}

TEST_F(X11SelectionTest, TargetsAreListedBeforeAnyValueIsRead) {
  SelectionOwner owner(
      {"UTF8_STRING=" + file("text", "secret"), "x-kde-passwordManagerHint=" + file("hint", "secret")});
  X11SelectionReader reader(nullptr);
  const auto targets = reader.targets();
  EXPECT_NE(std::find(targets.begin(), targets.end(), "x-kde-passwordManagerHint"), targets.end());
  EXPECT_NE(std::find(targets.begin(), targets.end(), "UTF8_STRING"), targets.end());
  EXPECT_EQ(reader.read("UTF8_STRING", 100), (SelectionRead{SelectionRead::Outcome::data, "secret"}));
  EXPECT_EQ(reader.read("text/html", 100).outcome, SelectionRead::Outcome::refused);
}

TEST_F(X11SelectionTest, IncrementalTransfersArriveWholeAndStopAtTheCap) {
  std::string large(300'000, 'x');
  for (std::size_t i = 0; i < large.size(); i += 97)
    large[i] = static_cast<char>('a' + i % 26);
  SelectionOwner owner({"--chunk", "65536", "image/png=" + file("large", large)});
  X11SelectionReader reader(nullptr);
  EXPECT_EQ(reader.read("image/png", 1'000'000), (SelectionRead{SelectionRead::Outcome::data, large}));
  EXPECT_EQ(reader.read("image/png", 100'000).outcome, SelectionRead::Outcome::tooLarge);
  // The reader is still usable after a transfer it abandoned.
  EXPECT_EQ(reader.read("image/png", 1'000'000).bytes.size(), large.size());
}

TEST_F(X11SelectionTest, ValuesOverTheCapAreRefusedWithoutIncrementalTransfer) {
  SelectionOwner owner({"UTF8_STRING=" + file("text", std::string(5000, 'y'))});
  X11SelectionReader reader(nullptr);
  EXPECT_EQ(reader.read("UTF8_STRING", 4999).outcome, SelectionRead::Outcome::tooLarge);
  EXPECT_EQ(reader.read("UTF8_STRING", 5000).bytes.size(), 5000u);
}

TEST_F(X11SelectionTest, NoOwnerMeansNoTargets) {
  X11SelectionReader reader(nullptr,
                            {.selection = "QUILLO_UNOWNED", .timeout = std::chrono::milliseconds(500)});
  EXPECT_TRUE(reader.targets().empty());
}

}  // namespace
}  // namespace quillo::platform::desktop

#include <gtest/gtest.h>

#include "quillo/app/shell/update_checker.h"
#include "quillo/net/curl_transport.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/test_service.h"

namespace quillo::app {
namespace {

struct UpdateCheckerTest : ::testing::Test {
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
  testing::TestService server;
  std::unique_ptr<core::HttpTransport> transport =
      net::makeCurlTransport({.extraCaFile = server.caFile().string()});

  UpdateState checkAgainst(const testing::ServiceReply& feed, std::string current = "0.1.0") {
    server.publish("/releases/latest.json", feed);
    UpdateChecker checker(
        {.feedUrl = server.baseUrl() + "releases/latest.json", .currentVersion = std::move(current)},
        transport.get(), pool, main);
    checker.checkNow();
    EXPECT_EQ(checker.state(), UpdateState{update::Checking{}});
    EXPECT_TRUE(main.runUntil([&] { return !std::holds_alternative<update::Checking>(checker.state()); }));
    return checker.state();
  }
};

TEST_F(UpdateCheckerTest, ANewerReleaseInTheFeedIsOffered) {
  const auto state =
      checkAgainst({.body = R"({"version": "0.10.0", "url": "https://example.org/0.10"})"}, "0.9.2");
  EXPECT_EQ(state, UpdateState(update::Available{"0.10.0", "https://example.org/0.10"}));
}

TEST_F(UpdateCheckerTest, TheSameVersionIsUpToDate) {
  EXPECT_EQ(checkAgainst({.body = R"({"version": "0.1"})"}), UpdateState(update::UpToDate{"0.1.0"}));
}

TEST_F(UpdateCheckerTest, AFeedThatCannotBeReadIsReported) {
  EXPECT_EQ(checkAgainst({.status = 404}),
            UpdateState(update::Failed{"The release feed answered with status 404."}));
  EXPECT_EQ(checkAgainst({.body = R"({"version": "next"})"}),
            UpdateState(update::Failed{"The release feed could not be read."}));
}

TEST_F(UpdateCheckerTest, WithoutAFeedTheItemSaysThePackageManagerUpdates) {
  UpdateChecker checker({.feedUrl = std::nullopt, .currentVersion = "0.1.0"}, transport.get(), pool, main);
  checker.checkNow();
  EXPECT_FALSE(checker.hasFeed());
  EXPECT_EQ(checker.menuTitle(), "Updates Come from Your Package Manager");
  EXPECT_EQ(checker.message(), "Quillo is updated by your package manager.");
  EXPECT_TRUE(main.idle());
}

}  // namespace
}  // namespace quillo::app

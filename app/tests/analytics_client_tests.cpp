#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "quillo/app/analytics_client.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/net/loader.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/https_server.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::app {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

struct AnalyticsClientTest : ::testing::Test {
  testing::HttpsServer server;
  testing::TemporaryFolder tmp;
  platform::posix::PosixFileSystem disk;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};

  AnalyticsClient::Options options() {
    return {.destination = {server.baseUrl() + "/v2/", "6B29FC40-CA47-1067-B31D-00DD010662DA"},
            .keptFile = tmp / "state" / "quillo" / "signals.json",
            .batchSize = 3,
            .sendDelay = 10s,
            .maxKept = 2};
  }

  std::unique_ptr<AnalyticsClient> client(AnalyticsClient::Options options) {
    return std::make_unique<AnalyticsClient>(
        std::move(options),
        [ca = server.caFile().string()] { return net::loadHttpTransport({.extraCaFile = ca}); }, disk, pool,
        main, clock);
  }

  json kept() {
    const auto text = disk.readFile(tmp / "state" / "quillo" / "signals.json", 1 << 20);
    return text ? json::parse(*text) : json();
  }

  std::vector<std::string> types(const json& signals) {
    std::vector<std::string> result;
    for (const json& signal : signals)
      result.push_back(signal["type"]);
    return result;
  }
};

TEST_F(AnalyticsClientTest, AFullBatchIsPostedAsOneJSONArray) {
  auto analytics = client(options());
  analytics->signal("App.launched", {});
  analytics->signal("Launcher.opened", {});
  pool.waitUntilIdle();
  EXPECT_TRUE(server.requests().empty());
  analytics->signal("Feature.used", {{"feature", "fileSearch"}});
  ASSERT_TRUE(main.runUntil([&] { return !analytics->isSending(); }));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/v2/");
  EXPECT_EQ(requests[0].contentType, "application/json");
  const json body = json::parse(requests[0].body);
  EXPECT_EQ(types(body), (std::vector<std::string>{"App.launched", "Launcher.opened", "Feature.used"}));
  EXPECT_EQ(body[2]["payload"], (json{{"feature", "fileSearch"}}));
  EXPECT_EQ(body[0]["appID"], "6B29FC40-CA47-1067-B31D-00DD010662DA");
}

TEST_F(AnalyticsClientTest, ASmallBatchIsPostedAfterTheDelay) {
  auto analytics = client(options());
  analytics->signal("App.launched", {});
  main.advance(9s);
  pool.waitUntilIdle();
  EXPECT_TRUE(server.requests().empty());
  main.advance(1s);
  ASSERT_TRUE(main.runUntil([&] { return !analytics->isSending(); }));
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(AnalyticsClientTest, SignalsAreKeptWhileOfflineAndSentWithTheNextBatch) {
  server.setStatus(503);
  auto analytics = client(options());
  analytics->signal("App.launched", {});
  analytics->send();
  ASSERT_TRUE(main.runUntil([&] { return !analytics->isSending(); }));
  EXPECT_EQ(types(kept()), std::vector<std::string>{"App.launched"});

  server.setStatus(200);
  analytics->signal("Launcher.opened", {});
  analytics->send();
  ASSERT_TRUE(main.runUntil([&] { return !analytics->isSending(); }));
  EXPECT_EQ(types(json::parse(server.requests().back().body)),
            (std::vector<std::string>{"App.launched", "Launcher.opened"}));
  EXPECT_EQ(kept(), json::array());
}

TEST_F(AnalyticsClientTest, OnlyTheNewestSignalsAreKept) {
  server.setStatus(503);
  auto analytics = client(options());
  analytics->signal("App.installed", {});
  analytics->signal("App.launched", {});
  analytics->signal("Launcher.opened", {});
  ASSERT_TRUE(main.runUntil([&] { return !analytics->isSending(); }));
  EXPECT_EQ(types(kept()), (std::vector<std::string>{"App.launched", "Launcher.opened"}));
}

TEST_F(AnalyticsClientTest, SignalsNotSentWhenTheClientEndsAreKeptForTheNextRun) {
  client(options())->signal("App.launched", {});
  pool.waitUntilIdle();
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(types(kept()), std::vector<std::string>{"App.launched"});
}

TEST_F(AnalyticsClientTest, TheUsageSignalsReachTheServiceThroughTheClient) {
  core::MemoryDefaultsStore defaults;
  std::string madeFor;
  TelemetryService telemetry(defaults, clock, analyticsSdk([&](const std::string& appID, bool testMode) {
                               madeFor = appID;
                               auto made = options();
                               made.destination.appID = appID;
                               made.testMode = testMode;
                               return client(made);
                             }),
                             {.appID = "6B29FC40-CA47-1067-B31D-00DD010662DA", .testMode = true});
  telemetry.start();
  main.advance(10s);
  ASSERT_TRUE(main.runUntil([&] { return server.requests().size() == 1; }));
  const json body = json::parse(server.requests()[0].body);
  EXPECT_EQ(types(body), (std::vector<std::string>{"App.installed", "App.launched"}));
  EXPECT_EQ(body[0]["isTestMode"], true);
  EXPECT_EQ(madeFor, "6B29FC40-CA47-1067-B31D-00DD010662DA");
}

TEST_F(AnalyticsClientTest, ThisBuildSendsNothingWithoutADestination) {
  EXPECT_EQ(builtInAnalyticsDestination(), std::nullopt);
}

}  // namespace
}  // namespace quillo::app

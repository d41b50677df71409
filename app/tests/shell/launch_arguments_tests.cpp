#include <gtest/gtest.h>

#include "quillo/app/shell/launch_arguments.h"

namespace quillo::app {
namespace {

using Kind = platform::InstanceRequest::Kind;

TEST(LaunchArguments, FlagsCountWhereverTheyStand) {
  const auto parsed = LaunchArguments::parse({"--clipboard", "-psn_0_1", "--welcome", "--show", "--toggle"});
  EXPECT_TRUE(parsed.show && parsed.clipboard && parsed.welcome && parsed.toggle);
  EXPECT_EQ(LaunchArguments::parse({"--shows", "show"}), LaunchArguments{});
}

TEST(LaunchArguments, AValueIsTheArgumentRightAfterItsFlag) {
  const auto parsed = LaunchArguments::parse({"--snapshot", "/tmp/shots", "--query", "--show"});
  EXPECT_EQ(parsed.query, "--show");
  EXPECT_EQ(parsed.snapshotDirectory, std::filesystem::path("/tmp/shots"));
}

TEST(LaunchArguments, QueryAsTheLastArgumentGivesNoQuery) {
  EXPECT_EQ(LaunchArguments::parse({"--show", "--query"}).query, std::nullopt);
}

TEST(LaunchArguments, ALaterStartForwardsItsRequestsWithTheActivationToken) {
  const auto requests =
      LaunchArguments::parse({"--clipboard", "--query", "mail", "--show"}).requests("token-7");
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], (platform::InstanceRequest{Kind::show, std::nullopt, "token-7"}));
  EXPECT_EQ(requests[1], (platform::InstanceRequest{Kind::query, "mail", "token-7"}));
  EXPECT_EQ(requests[2].kind, Kind::clipboard);
}

TEST(LaunchArguments, SettingsAsksTheRunningInstanceToOpenItsSettings) {
  EXPECT_TRUE(LaunchArguments::parse({"--settings"}).settings);
  EXPECT_EQ(LaunchArguments::parse({"--settings"}).requests("token-3"),
            (std::vector<platform::InstanceRequest>{{Kind::settings, std::nullopt, "token-3"}}));
}

}  // namespace
}  // namespace quillo::app

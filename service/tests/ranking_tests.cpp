#include <gtest/gtest.h>

#include "quillo/core/index/catalog.h"
#include "quillo/core/ranking/semantic_ranker.h"
#include "running_service.h"

namespace quillo::service {
namespace {

namespace RavoQuestions = core::RavoQuestions;
using testing::RunningService;

core::Command command(const std::string& title, core::Command::Kind kind = core::Command::Kind::action,
                      const std::string& hint = "") {
  return core::Command("test." + title, title, kind, hint, "", "", core::target::StopKeepingAwake{});
}

// The launcher's own catalogue: its actions and settings panes.
std::vector<core::Command> catalogue() {
  std::vector<core::Command> commands = core::Catalog::actionsTable("/home/user");
  for (core::Command& pane : core::Catalog::settingsTable("Menu Bar"))
    commands.push_back(std::move(pane));
  return commands;
}

core::SemanticResult ask(const RunningService& service, const std::string& query,
                         const RavoQuestions::Scope& scope = RavoQuestions::scope::Commands{},
                         std::vector<core::Command> candidates = catalogue()) {
  return core::SemanticRanker(service.client(), scope, std::move(candidates))
      .rank(query, RavoQuestions::minimumProbability);
}

TEST(CommandRanking, EverydayWordsFindTheCommandTheyMean) {
  const RunningService service;
  const core::SemanticResult result = ask(service, "make it louder");
  ASSERT_FALSE(result.hits.empty());
  EXPECT_EQ(result.hits.front().command.title, "Set Volume");
  EXPECT_LT(result.noneProbability, result.hits.front().probability);
}

TEST(CommandRanking, UnrelatedQueryIsAnsweredNone) {
  const RunningService service;
  const core::SemanticResult result = ask(service, "weather in paris");
  EXPECT_TRUE(result.hits.empty());
  EXPECT_GT(result.noneProbability, 0.9);
}

TEST(CommandRanking, NamedSiteIsSuggestedForTheOtherWords) {
  const RunningService service;
  const core::SemanticResult result = ask(service, "cats on youtube");
  ASSERT_TRUE(result.webSearch.has_value());
  EXPECT_EQ(result.webSearch->site.id, "youtube");
  EXPECT_EQ(result.webSearch->words, (core::WordRange{0, 1}));
}

TEST(CommandRanking, MenuScopeIgnoresTheApplicationsOwnName) {
  const RunningService service;
  const core::SemanticResult result =
      ask(service, "safari close the tab", RavoQuestions::scope::Menu{"Safari"},
          {command("New Tab", core::Command::Kind::menuItem, "File"),
           command("Close Tab", core::Command::Kind::menuItem, "File"),
           command("Show Safari Help", core::Command::Kind::menuItem, "Help")});
  ASSERT_FALSE(result.hits.empty());
  EXPECT_EQ(result.hits.front().command.title, "Close Tab");
}

TEST(CommandRanking, UsageCountsTheWordsReadAndTheValuesWritten) {
  const RunningService service;
  const nlohmann::json body = {{"query", "mute the sound"},
                               {"scope", {{"kind", "commands"}}},
                               {"candidates",
                                {{{"kind", "Action"}, {"title", "Toggle Mute"}, {"hint", "Mute or unmute"}},
                                 {{"kind", "Action"}, {"title", "Sleep"}, {"hint", ""}}}}};
  const core::HttpResponse response = service.send({.path = "/v1/rank/commands", .body = body.dump()});
  ASSERT_EQ(response.status, 200) << response.body;
  const nlohmann::json answer = nlohmann::json::parse(response.body);
  // Three query words, and two + four + one + one candidate words.
  EXPECT_EQ(answer["usage"]["input_tokens"], 11);
  EXPECT_EQ(answer["usage"]["output_tokens"], answer["probabilities"].size());
}

}  // namespace
}  // namespace quillo::service

#include <gtest/gtest.h>

#include "quillo/core/results/result_merger.h"

namespace quillo::core {
namespace {

Command plain(const std::string& id) {
  return Command(id, id, Command::Kind::app, "", "", "", target::Shell{id});
}

Command volume() {
  return Command("action.Set Volume", "Set Volume", Command::Kind::action, "", "", "",
                 target::Definition{definition::SetVolume{VolumeChannel::output}});
}

Command stopKeepingAwake() {
  return Command("action.Stop Keeping Awake", "Stop Keeping Awake", Command::Kind::action, "", "", "",
                 target::StopKeepingAwake{});
}

Command darkMode() {
  const Capability capability{
      .app = {"System", "com.apple.systemevents", base::Url::file("/System/Events.app")},
      .name = "dark mode",
      .container = std::nullopt,
      .summary = "",
      .operation = Capability::PropertyOperation{{"aprp", "thme"}},
      .value = Capability::Value(Capability::Boolean{})};
  return Command("capability.com.apple.systemevents/aprp.thme", "System: Dark Mode",
                 Command::Kind::capability, "", "", "",
                 target::Definition{definition::ScriptableCapability{capability}});
}

std::vector<std::string> ids(const std::vector<ResultRow>& rows) {
  std::vector<std::string> result;
  for (const ResultRow& row : rows)
    result.push_back(row.id());
  return result;
}

SemanticResult answer(std::vector<SemanticHit> hits) {
  SemanticResult result;
  result.hits = std::move(hits);
  return result;
}

// A resolver that records what it was asked and offers one choice per value, or presets.
struct RecordingResolver {
  static inline std::vector<std::pair<std::size_t, bool>> calls;  // values seen, presets offered

  static std::vector<ResolvedAction> resolve(const ActionDefinition&, const ParsedQuery& query,
                                             bool offersPresets, const ResolverContext&) {
    calls.emplace_back(query.values.size(), offersPresets);
    std::vector<ResolvedAction> actions;
    for (std::size_t index = 0; index < query.values.size(); ++index) {
      actions.push_back({invocation::SetVolume{VolumeChannel::output, static_cast<int>(index)}, "",
                         "v" + std::to_string(index)});
    }
    if (actions.empty() && offersPresets) actions.push_back({std::nullopt, "preset", "preset"});
    return actions;
  }
};

TEST(ResultMerger, StrongLocalHitsLeadWeakOnesFollowAndTheServiceProbabilityIsKept) {
  const SemanticResult semantic = answer({{plain("b"), 0.4}, {plain("c"), 0.3}, {plain("b"), 0.6}});
  const auto rows =
      ResultMerger::merge({.local = {{plain("a"), 850}, {plain("b"), 120}}, .semantic = &semantic});
  EXPECT_EQ(ids(rows), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(rows[0].probability, std::nullopt);
  EXPECT_EQ(rows[1].probability, 0.6);  // the largest of the service's answers for the id
  EXPECT_EQ(rows[2].probability, 0.3);
  // Below the strong band a local hit follows the service's.
  const SemanticResult one = answer({{plain("c"), 0.3}});
  EXPECT_EQ(ids(ResultMerger::merge({.local = {{plain("a"), 799}}, .semantic = &one})),
            (std::vector<std::string>{"c", "a"}));
  EXPECT_EQ(ids(ResultMerger::merge({.local = {}, .semantic = &one})), (std::vector<std::string>{"c"}));
}

TEST(ResultMerger, ATypedSiteAlwaysLeads) {
  const ResultRow typed{plain("web.youtube"), std::nullopt, std::nullopt};
  EXPECT_EQ(ids(ResultMerger::merge({.local = {{plain("a"), 1000}}, .web = typed})),
            (std::vector<std::string>{"web.youtube", "a"}));
  // A site the service suggested follows strong local hits.
  const ResultRow suggested{plain("web.youtube"), 0.5, std::nullopt};
  EXPECT_EQ(ids(ResultMerger::merge({.local = {{plain("a"), 1000}}, .web = suggested})),
            (std::vector<std::string>{"a", "web.youtube"}));
}

TEST(ResultMerger, LimitCutsAfterExpansion) {
  const std::vector<LocalHit> local{{volume(), 900}, {plain("a"), 900}};
  const ParsedQuery query{.values = {parsed::Percent{20}, parsed::Number{3}}, .remainder = ""};
  EXPECT_EQ(
      ids(ResultMerger::merge({.local = local, .query = query, .limit = 2}, RecordingResolver::resolve)),
      (std::vector<std::string>{"action.Set Volume#v0", "action.Set Volume#v1"}));
  EXPECT_EQ(ResultMerger::merge({.local = local, .query = query}, RecordingResolver::resolve).size(), 3u);
}

TEST(ResultMerger, StopKeepingAwakeOnlyWhileAKeepAwakeRuns) {
  ResolverContext context;
  context.now = base::Date{1'764'950'400};  // 2025-12-05 16:00 UTC
  EXPECT_TRUE(ResultMerger::merge({.local = {{stopKeepingAwake(), 900}}, .context = context}).empty());
  context.awakeUntil = base::Date{context.now.secondsSince1970 - 1};
  EXPECT_TRUE(ResultMerger::merge({.local = {{stopKeepingAwake(), 900}}, .context = context}).empty());

  context.awakeUntil = base::Date{context.now.secondsSince1970 + 5400};
  const auto rows = ResultMerger::merge({.local = {{stopKeepingAwake(), 900}}, .context = context});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].id(), "action.Stop Keeping Awake#running");
  EXPECT_EQ(rows[0].detail(), "Keeping awake until 5:30\u202FPM");
  EXPECT_EQ(rows[0].invocation(), nullptr);
}

TEST(ResultMerger, ParameterisedActionsExpandIntoTheirChoices) {
  RecordingResolver::calls.clear();
  ParsedQuery query{.values = {parsed::Percent{20}, parsed::Number{3}, parsed::Toggle{true}},
                    .remainder = "volume"};
  const auto rows = ResultMerger::merge({.local = {{volume(), 900}, {plain("a"), 900}}, .query = query},
                                        RecordingResolver::resolve);
  EXPECT_EQ(ids(rows), (std::vector<std::string>{"action.Set Volume#v0", "action.Set Volume#v1",
                                                 "action.Set Volume#v2", "a"}));

  // A definition with nothing to offer is dropped.
  EXPECT_EQ(
      ids(ResultMerger::merge({.local = {{volume(), 900}, {plain("a"), 900}}}, RecordingResolver::resolve)),
      (std::vector<std::string>{"a"}));
  // Without a resolver the action stays one row that cannot run yet.
  const auto unresolved = ResultMerger::merge({.local = {{volume(), 900}}, .query = query}, nullptr);
  ASSERT_EQ(ids(unresolved), (std::vector<std::string>{"action.Set Volume"}));
  EXPECT_FALSE(unresolved[0].canRun());
}

TEST(ResultMerger, OnlyTheFirstRowOfAFreshAnswerOffersPresets) {
  RecordingResolver::calls.clear();
  ResultMerger::merge({.local = {{volume(), 900}}, .offersPresets = true}, RecordingResolver::resolve);
  ResultMerger::merge({.local = {{plain("a"), 900}, {volume(), 900}}, .offersPresets = true},
                      RecordingResolver::resolve);
  ResultMerger::merge({.local = {{volume(), 900}}, .isStale = true, .offersPresets = true},
                      RecordingResolver::resolve);
  ResultMerger::merge({.local = {{volume(), 900}}, .offersPresets = false}, RecordingResolver::resolve);
  const std::vector<std::pair<std::size_t, bool>> expected{{0, true}, {0, false}, {0, false}, {0, false}};
  EXPECT_EQ(RecordingResolver::calls, expected);
}

TEST(ResultMerger, TogglesReachABooleanCapabilityOnlyWhenLocalMatchingNamedIt) {
  RecordingResolver::calls.clear();
  const ParsedQuery query{.values = {parsed::Toggle{true}, parsed::Number{2}}, .remainder = "dark"};
  const SemanticResult semantic = answer({{darkMode(), 0.9}});
  ResultMerger::merge({.semantic = &semantic, .query = query}, RecordingResolver::resolve);
  ResultMerger::merge({.local = {{darkMode(), 900}}, .query = query}, RecordingResolver::resolve);
  EXPECT_EQ(RecordingResolver::calls, (std::vector<std::pair<std::size_t, bool>>{{1, false}, {2, false}}));
}

TEST(SelectionRule, KeepsTheSelectedRowWhereverItMoved) {
  const std::vector<ResultRow> before{{plain("a"), {}, {}}, {plain("b"), {}, {}}, {plain("c"), {}, {}}};
  const std::vector<ResultRow> after{{plain("c"), {}, {}}, {plain("b"), {}, {}}};
  EXPECT_EQ(SelectionRule::keptIndex(before, 1, after, true), 1u);
  EXPECT_EQ(SelectionRule::keptIndex(before, 2, after, true), 0u);
  EXPECT_EQ(SelectionRule::keptIndex(before, 0, after, true), std::nullopt);  // gone
  EXPECT_EQ(SelectionRule::keptIndex(before, 2, after, false), std::nullopt);
  EXPECT_EQ(SelectionRule::keptIndex(before, 7, after, true), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

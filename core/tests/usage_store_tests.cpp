#include <gtest/gtest.h>

#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/core/results/usage_store.h"

namespace quillo::core {
namespace {

TEST(UsageStore, FormerIdsMoveToTheirCurrentIdsAndAreWrittenBackOnce) {
  MemoryDefaultsStore store({{"usage", DefaultsValue::Dictionary{{"action.Keep Awake for 1 Hour", 3},
                                                                 {"action.Keep Awake", 2},
                                                                 {"action.Toggle Dark Mode", 4},
                                                                 {"action.Sleep", 1}}}});
  int writes = 0;
  const auto subscription = store.observe([&](std::string_view) { ++writes; });
  const UsageStore usage(store);
  const UsageCounts expected{
      {"action.Keep Awake", 5}, {"capability.com.apple.systemevents/aprp.thme", 4}, {"action.Sleep", 1}};
  EXPECT_EQ(usage.counts(), expected);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(UsageStore(store).counts(), expected);
  EXPECT_EQ(writes, 1);  // nothing left to move: the second opening writes nothing
}

TEST(UsageStore, AnythingButATableOfCountsStartsEmpty) {
  MemoryDefaultsStore notATable({{"usage", DefaultsValue::Array{1, 2}}});
  EXPECT_TRUE(UsageStore(notATable).counts().empty());
  MemoryDefaultsStore mixed({{"usage", DefaultsValue::Dictionary{{"a", 1}, {"b", "2"}}}});
  EXPECT_TRUE(UsageStore(mixed).counts().empty());
}

TEST(UsageStore, RecordsOnlyWhenEnabledAndClearForgetsEverything) {
  MemoryDefaultsStore store;
  UsageStore usage(store);
  usage.record("action.Sleep", false);
  EXPECT_EQ(store.value("usage"), std::nullopt);
  usage.record("action.Sleep", true);
  usage.record("action.Sleep", true);
  EXPECT_EQ(store.value("usage")->dictionary()->at("action.Sleep").integer(), 2);
  EXPECT_EQ(usage.rankingCounts(true).at("action.Sleep"), 2);
  EXPECT_TRUE(usage.rankingCounts(false).empty());
  EXPECT_EQ(usage.counts().size(), 1u);  // turning learning off forgets nothing
  usage.clear();
  EXPECT_TRUE(usage.counts().empty());
  EXPECT_EQ(store.value("usage"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

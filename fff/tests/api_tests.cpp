#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "temp_tree.h"

namespace fff::testing {
namespace {

TEST(Abi, ForeignHandlesAndOverlongQueriesAreRefused) {
  TempTree tree;
  Instance instance(tree.root());
  FffResult* search = fff_search_mixed(instance.handle(), "x", 0, 0, 0, 10, 0, 0);
  // A search result passed where an instance belongs, and an arbitrary address.
  int local = 0;
  for (void* wrong : {search->handle, static_cast<void*>(&local)}) {
    FffResult* result = fff_search_mixed(static_cast<FffInstance*>(wrong), "x", 0, 0, 0, 10, 0, 0);
    ASSERT_NE(result, nullptr);
    EXPECT_FALSE(result->success);
    EXPECT_NE(result->error, nullptr);
    fff_free_result(result);
  }
  EXPECT_EQ(fff_search_result_get_item(reinterpret_cast<const FffSearchResult*>(&local), 0), nullptr);
  fff_free_search_result(reinterpret_cast<FffSearchResult*>(&local));
  fff_free_mixed_search_result(static_cast<FffMixedSearchResult*>(search->handle));
  fff_free_result(search);

  const std::string query(300, 'a');
  FffResult* overlong = fff_search_mixed(instance.handle(), query.c_str(), 0, 0, 0, 10, 0, 0);
  EXPECT_FALSE(overlong->success);
  EXPECT_THAT(overlong->error, ::testing::HasSubstr("256"));
  fff_free_result(overlong);
}

TEST(Abi, GlobPatternBeyondTheLimitIsAnErrorResult) {
  TempTree tree;
  tree.file("a", "");
  Instance instance(tree.root());
  std::string braces;
  for (int k = 0; k < 50'000; ++k)
    braces += "{}";
  FffResult* result = fff_glob(instance.handle(), braces.c_str(), 0, 0, 0, 10);
  ASSERT_NE(result, nullptr);
  EXPECT_FALSE(result->success);
  EXPECT_THAT(result->error, ::testing::HasSubstr("4096 bytes"));
  EXPECT_EQ(result->handle, nullptr);
  fff_free_result(result);
}

TEST(Abi, WaitReturnsAtOnceAndBoundsHugeWaits) {
  TempTree tree;
  tree.file("a", "");
  Instance instance(tree.root());
  FffResult* huge = fff_wait_for_scan(instance.handle(), UINT64_MAX);
  EXPECT_TRUE(huge->success);
  EXPECT_EQ(huge->int_value, 1);
  fff_free_result(huge);
  FffResult* immediate = fff_wait_for_scan(instance.handle(), 0);
  EXPECT_EQ(immediate->int_value, 1);
  fff_free_result(immediate);
}

TEST(Abi, StoppedInstanceStillAnswersFromItsIndex) {
  TempTree tree;
  tree.file("docs/report.txt", "");
  const Instance instance(tree.root());
  ASSERT_TRUE(instance.waitForScan());
  fff_stop(instance.handle());
  fff_stop(instance.handle());
  EXPECT_THAT(instance.globPaths("**/report*"), ::testing::ElementsAre("docs/report.txt"));
  EXPECT_THAT(instance.mixedPaths("report"), ::testing::Contains("docs/report.txt"));
}

// Searches from several threads while the tree changes and the instance is finally destroyed
// under them: every call returns a record, none crashes.
TEST(Abi, ConcurrentSearchesSurviveChangesAndDestruction) {
  TempTree tree;
  for (int i = 0; i < 300; ++i)
    tree.file("d" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".txt", "");
  // Destroyed below while the searches run; destroying it again at the end is ignored.
  const Instance instance(tree.root());
  FffInstance* const handle = instance.handle();

  std::atomic<bool> stop = false;
  std::atomic<int> failures = 0;
  std::atomic<int> refused = 0;
  std::vector<std::jthread> searchers;
  for (int t = 0; t < 3; ++t) {
    searchers.emplace_back([&, t] {
      while (!stop) {
        FffResult* result = t == 0   ? fff_search_mixed(handle, "file1", 0, 0, 0, 20, 0, 0)
                            : t == 1 ? fff_glob(handle, "**/*.txt", 0, 0, FFF_GLOB_NEWEST_FIRST, 20)
                                     : fff_search_directories(handle, "d", 0, 0, 0, 20);
        if (!result) {
          ++failures;
          continue;
        }
        if (result->success) {
          if (t == 0) fff_free_mixed_search_result(static_cast<FffMixedSearchResult*>(result->handle));
          if (t == 1) fff_free_search_result(static_cast<FffSearchResult*>(result->handle));
          if (t == 2) fff_free_dir_search_result(static_cast<FffDirSearchResult*>(result->handle));
        } else {
          ++refused;
        }
        fff_free_result(result);
      }
    });
  }
  for (int i = 0; i < 100; ++i)
    tree.file("churn/new" + std::to_string(i) + ".txt", "");
  tree.remove("d3");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  fff_destroy(handle);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stop = true;
  searchers.clear();
  EXPECT_EQ(failures, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace fff::testing

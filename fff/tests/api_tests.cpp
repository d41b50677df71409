#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <ostream>
#include <string>
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

// What a glob record says, item by item, freed once read.
struct GlobAnswer {
  bool success = false;
  std::string error;
  std::vector<std::string> items;  // path, kind, size and time of each
  std::uint64_t total = 0;
  bool operator==(const GlobAnswer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const GlobAnswer& answer) {
  out << (answer.success ? "found " : "failed ") << answer.error << " total " << answer.total << ":";
  for (const std::string& item : answer.items)
    out << " " << item;
  return out;
}

GlobAnswer answerOf(FffResult* record) {
  GlobAnswer answer;
  if (!record) return answer;
  answer.success = record->success;
  if (record->error) answer.error = record->error;
  auto* found = static_cast<FffSearchResult*>(record->handle);
  for (std::uint32_t k = 0; k < fff_search_result_count(found); ++k) {
    const FffItem* item = fff_search_result_get_item(found, k);
    answer.items.push_back(std::string(item->path) + " " + std::to_string(item->kind) + " " +
                           std::to_string(item->size) + " " + std::to_string(item->modified));
  }
  answer.total = fff_search_result_total_matched(found);
  fff_free_search_result(found);
  fff_free_result(record);
  return answer;
}

TEST(Abi, GlobEachGivesEveryPatternWhatItsOwnGlobGives) {
  TempTree tree;
  for (const char* path :
       {"report", "report.txt", "Report.md", "REPORT.tar.gz", "reports/q1.txt", "reportage",
        "docs/report.pdf", "docs/Report/old.txt", "docs/report-2024/a.txt", "notes.txt"})
    tree.file(path, "12345", 1'000'000);
  tree.file("b/report.txt", "", 3'000'000);
  tree.dir("docs/reports.d");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  const std::vector<const char*> patterns = {"**/report", "**/report.*", "**/report*", "docs/**",
                                             "[",         nullptr,       "**/*.txt",   "**/report*"};
  for (const std::uint32_t options :
       {0u, FFF_GLOB_IGNORE_CASE, FFF_GLOB_IGNORE_CASE | FFF_GLOB_FILES_ONLY,
        FFF_GLOB_IGNORE_CASE | FFF_GLOB_DIRECTORIES_ONLY, FFF_GLOB_NEWEST_FIRST | FFF_GLOB_IGNORE_CASE}) {
    for (const std::uint32_t offset : {0u, 1u}) {
      for (const std::uint32_t limit : {2u, 1000u}) {
        std::vector<FffResult*> each(patterns.size());
        FffResult* outcome =
            fff_glob_each(instance.handle(), patterns.data(), static_cast<std::uint32_t>(patterns.size()),
                          offset, 0, options, limit, each.data());
        ASSERT_TRUE(outcome && outcome->success);
        EXPECT_EQ(outcome->int_value, static_cast<std::int64_t>(patterns.size()));
        fff_free_result(outcome);
        for (std::size_t k = 0; k < patterns.size(); ++k)
          EXPECT_EQ(answerOf(each[k]),
                    answerOf(fff_glob(instance.handle(), patterns[k], offset, 0, options, limit)))
              << (patterns[k] ? patterns[k] : "null") << " options " << options << " offset " << offset
              << " limit " << limit;
      }
    }
  }
}

TEST(Abi, GlobEachOnADeadHandleFailsWithoutRecords) {
  const std::array<const char*, 2> patterns = {"**/a", "**/b"};
  int local = 0;
  std::array<FffResult*, 2> each{};
  FffResult* outcome =
      fff_glob_each(reinterpret_cast<FffInstance*>(&local), patterns.data(), 2, 0, 0, 0, 10, each.data());
  ASSERT_NE(outcome, nullptr);
  EXPECT_FALSE(outcome->success);
  EXPECT_NE(outcome->error, nullptr);
  EXPECT_EQ(each[0], nullptr);
  EXPECT_EQ(each[1], nullptr);
  fff_free_result(outcome);
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
  // The searches go on until the destroyed instance has refused one, which on a busy machine
  // can take a while.
  eventually([&] { return refused > 0; });
  stop = true;
  searchers.clear();
  EXPECT_EQ(failures, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace fff::testing

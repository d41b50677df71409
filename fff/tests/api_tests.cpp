#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "temp_tree.h"

namespace fff::testing {
namespace {

template <class T>
T readAt(const void* base, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const char*>(base) + offset, sizeof value);
  return value;
}

// Reads records the way the application does: by byte offset, not by field name.
TEST(Abi, RecordsReadByOffsetCarryTheValues) {
  TempTree tree;
  tree.file("dir/file.bin", std::string(1234, 'x'), 1700000000);
  unsigned char options[88] = {};
  const std::uint32_t version = 2;
  const char* root = tree.root().c_str();
  std::memcpy(options, &version, 4);
  std::memcpy(options + 8, &root, sizeof root);
  options[34] = 1;
  FffResult* created = fff_create_instance_with(reinterpret_cast<const FffOptions*>(options));
  ASSERT_TRUE(readAt<bool>(created, 0));
  EXPECT_EQ(readAt<char*>(created, 8), nullptr);
  auto* handle = readAt<FffInstance*>(created, 16);
  fff_free_result(created);

  FffResult* waited = fff_wait_for_scan(handle, 3000);
  EXPECT_EQ(readAt<std::int64_t>(waited, 24), 1);
  fff_free_result(waited);

  FffResult* globbed = fff_glob(handle, "**/*.bin", 0, 0, FFF_GLOB_NEWEST_FIRST, 100);
  void* results = readAt<void*>(globbed, 16);
  ASSERT_EQ(readAt<std::uint32_t>(results, 16), 1u);
  const FffItem* item = fff_search_result_get_item(static_cast<FffSearchResult*>(results), 0);
  EXPECT_EQ(readAt<std::uint8_t>(item, 0), 0u);
  EXPECT_STREQ(readAt<const char*>(item, 8), "dir/file.bin");
  EXPECT_EQ(readAt<std::uint64_t>(item, 32), 1234u);
  EXPECT_EQ(readAt<std::int64_t>(item, 40), 1700000000);
  fff_free_search_result(static_cast<FffSearchResult*>(results));
  fff_free_result(globbed);

  FffResult* dirs = fff_search_directories(handle, "dir", 0, 0, 0, 10);
  void* dirResults = readAt<void*>(dirs, 16);
  const FffItem* folder = fff_dir_search_result_get_item(static_cast<FffDirSearchResult*>(dirResults), 0);
  EXPECT_EQ(readAt<std::uint8_t>(folder, 0), 1u);
  fff_free_dir_search_result(static_cast<FffDirSearchResult*>(dirResults));
  fff_free_result(dirs);
  fff_destroy(handle);
}

TEST(Abi, ForeignHandlesAreRefused) {
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

TEST(Abi, OverlongQueryIsAnError) {
  TempTree tree;
  Instance instance(tree.root());
  const std::string query(300, 'a');
  FffResult* result = fff_search_mixed(instance.handle(), query.c_str(), 0, 0, 0, 10, 0, 0);
  EXPECT_FALSE(result->success);
  EXPECT_THAT(result->error, ::testing::HasSubstr("256"));
  fff_free_result(result);
}

// Searches from several threads while the tree changes and the instance is finally destroyed
// under them: every call returns a record, none crashes.
TEST(Abi, ConcurrentSearchesSurviveChangesAndDestruction) {
  TempTree tree;
  for (int i = 0; i < 300; ++i)
    tree.file("d" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".txt", "");
  FffOptions options{};
  options.version = FFF_OPTIONS_VERSION;
  options.root = tree.root().c_str();
  options.watch = 1;
  FffResult* created = fff_create_instance_with(&options);
  auto* handle = static_cast<FffInstance*>(created->handle);
  fff_free_result(created);

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

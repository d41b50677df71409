#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "temp_tree.h"
#include "watched_tree.h"

namespace fff::testing {
namespace {

bool found(const Instance& instance, const std::string& path) {
  const auto paths = instance.globPaths("**");
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

class Watching : public WatchedTree {};

TEST_P(Watching, FileCreatedAfterTheScanIsFound) {
  tree_.file("docs/old.txt", "");
  const auto instance = open();
  tree_.file("docs/new report.txt", "fresh");
  EXPECT_TRUE(eventually([&] { return found(*instance, "docs/new report.txt"); }));
  EXPECT_TRUE(eventually([&] { return !instance->mixedPaths("new report", 1).empty(); }));
}

TEST_P(Watching, RemovedFilesAndFoldersDisappear) {
  tree_.file("keep.txt", "");
  tree_.file("gone.txt", "");
  tree_.file("folder/deep/inner.txt", "");
  const auto instance = open();
  EXPECT_EQ(instance->count(), 5);
  tree_.remove("gone.txt");
  tree_.remove("folder");
  EXPECT_TRUE(eventually([&] { return instance->count() == 1; }));
  EXPECT_THAT(instance->globPaths("**"), ::testing::ElementsAre("keep.txt"));
}

TEST_P(Watching, NewFolderWithContentsIsIndexed) {
  tree_.dir("base");
  const auto instance = open();
  tree_.file("base/project/src/app.cpp", "int x;");
  tree_.file("base/project/README", "");
  EXPECT_TRUE(eventually([&] { return found(*instance, "base/project/src/app.cpp"); }));
  EXPECT_TRUE(eventually([&] { return instance->count() == 5; }));
  // And the new folder itself is watched (or rescanned) in turn.
  tree_.file("base/project/src/later.cpp", "");
  EXPECT_TRUE(eventually([&] { return found(*instance, "base/project/src/later.cpp"); }));
}

TEST_P(Watching, RenamedFolderMovesItsContents) {
  tree_.file("before/a/file.txt", "");
  const auto instance = open();
  tree_.rename("before", "after");
  EXPECT_TRUE(
      eventually([&] { return found(*instance, "after/a/file.txt") && !found(*instance, "before"); }));
  EXPECT_EQ(instance->count(), 3);
  tree_.file("after/a/second.txt", "");
  EXPECT_TRUE(eventually([&] { return found(*instance, "after/a/second.txt"); }));
}

TEST_P(Watching, RewrittenFileGetsItsNewSizeAndTime) {
  tree_.file("data/log.txt", "1", 1000);
  const auto instance = open();
  tree_.file("data/log.txt", "123456789", 2000);
  EXPECT_TRUE(eventually([&] {
    const auto items = instance->glob("data/log.txt");
    return items.size() == 1 && items[0].size == 9 && items[0].modified == 2000;
  }));
}

TEST_P(Watching, FileReplacedByFolderChangesKind) {
  tree_.file("thing", "");
  const auto instance = open();
  tree_.remove("thing");
  tree_.file("thing/inside.txt", "");
  EXPECT_TRUE(eventually([&] {
    const auto items = instance->glob("thing");
    return items.size() == 1 && items[0].kind == FFF_KIND_DIRECTORY && found(*instance, "thing/inside.txt");
  }));
}

INSTANTIATE_TEST_SUITE_P(InotifyOrRescan, Watching, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Inotify" : "Rescan"; });

TEST(Watching, RootRemovedEmptiesTheIndex) {
  TempTree tree;
  tree.file("sub/file.txt", "");
  Instance instance(tree.path("sub"));
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_EQ(instance.count(), 1);
  tree.remove("sub");
  EXPECT_TRUE(eventually([&] { return instance.count() == 0; }));
}

TEST(Watching, WithoutWatchingTheScanStaysAsItWas) {
  TempTree tree;
  tree.file("a.txt", "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  tree.file("b.txt", "");
  // A watching instance opened afterwards sees b.txt; the first one was never asked to.
  Instance watching(tree.root(), true);
  ASSERT_TRUE(watching.waitForScan());
  EXPECT_TRUE(found(watching, "b.txt"));
  EXPECT_FALSE(found(instance, "b.txt"));
}

}  // namespace
}  // namespace fff::testing

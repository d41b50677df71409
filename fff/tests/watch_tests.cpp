#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "temp_tree.h"

namespace fff::testing {
namespace {

bool found(const Instance& instance, const std::string& path) {
  const auto paths = instance.globPaths("**");
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// A tree kept current after its scan, with inotify (parameter true) or with a watch limit of one
// folder (only the root), so that everything below is kept current by rescanning every 50 ms.
class Watching : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<Instance> open() const {
    auto instance = GetParam() ? std::make_unique<Instance>(tree_.root(), true)
                               : std::make_unique<Instance>(tree_.root(), true, 1, 50);
    EXPECT_TRUE(instance->waitForScan());
    return instance;
  }
  TempTree tree_;
};

// Searches test each distinct name once: names must follow the entries carrying them.
TEST_P(Watching, EntriesAndTheirNamesComeAndGo) {
  tree_.file("a/report.pdf", "");
  tree_.file("b/report.pdf", "");
  tree_.file("b/deep/notes.txt", "");
  tree_.dir("c/report.pdf");
  const auto instance = open();
  EXPECT_THAT(instance->mixedPaths("report.pdf"),
              UnorderedElementsAre("a/report.pdf", "b/report.pdf", "c/report.pdf"));
  EXPECT_THAT(instance->directoryPaths("report.pdf"), ElementsAre("c/report.pdf"));

  tree_.remove("a/report.pdf");
  tree_.remove("c/report.pdf");
  EXPECT_TRUE(eventually(
      [&] { return instance->mixedPaths("report.pdf") == std::vector<std::string>{"b/report.pdf"}; }));
  EXPECT_THAT(instance->directoryPaths("report.pdf"), IsEmpty());
  EXPECT_THAT(instance->globPaths("**/*.pdf"), ElementsAre("b/report.pdf"));

  // A removed folder takes everything below it along.
  tree_.remove("b");
  EXPECT_TRUE(eventually([&] { return instance->count() == 2; }));
  EXPECT_THAT(instance->globPaths("**"), ElementsAre("a", "c"));
  EXPECT_THAT(instance->mixedPaths("report.pdf"), IsEmpty());

  // Back under a new folder, whose files may come before its watch: the name's id is taken up again.
  tree_.file("d/report.pdf", "");
  tree_.file("d/new.PDF", "");
  EXPECT_TRUE(eventually(
      [&] { return instance->mixedPaths("report.pdf") == std::vector<std::string>{"d/report.pdf"}; }));
  EXPECT_TRUE(eventually([&] {
    return instance->globPaths("**/*.pdf", FFF_GLOB_IGNORE_CASE) ==
           std::vector<std::string>{"d/new.PDF", "d/report.pdf"};
  }));
  // The new folder is watched (or rescanned) in turn, and a name first seen after the scan is
  // found through its folders as well.
  tree_.file("d/src/main/deep.txt", "");
  EXPECT_TRUE(eventually([&] {
    return instance->mixedPaths("srcmaindeep") == std::vector<std::string>{"d/src/main/deep.txt"};
  }));
  EXPECT_EQ(instance->count(), 8);
  // A name that only files carried is a folder's too once a folder takes it.
  tree_.dir("d/src/new.PDF");
  EXPECT_TRUE(eventually(
      [&] { return instance->directoryPaths("new.pdf") == std::vector<std::string>{"d/src/new.PDF"}; }));
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

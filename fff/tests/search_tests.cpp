#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "temp_tree.h"

namespace fff::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Where `path` lands in the results, or -1.
long rankOf(const std::vector<std::string>& paths, const std::string& path) {
  const auto it = std::find(paths.begin(), paths.end(), path);
  return it == paths.end() ? -1 : it - paths.begin();
}

class Ranking : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path :
         {"report/2023.pdf", "2023/report.pdf", "archive/old/reports-draft.txt", "foo_bar.txt", "fabric.txt",
          "FooBar.swift", "fxxxxxxb.txt", "abc.txt", "axbxc.txt", "a/main.c", "a/b/c/main.c",
          "src/util/strings.c", "README.md", "Ärger.txt", "main.cpp", "mainframe/notes.txt", "x/main.c.orig"})
      tree_.file(path, "x");
    instance_ = std::make_unique<Instance>(tree_.root(), false);
    ASSERT_TRUE(instance_->waitForScan());
  }

  std::vector<std::string> search(const std::string& query, std::uint32_t flags = 0) const {
    return instance_->mixedPaths(query, 100, flags);
  }

  TempTree tree_;
  std::unique_ptr<Instance> instance_;
};

TEST_F(Ranking, MatchInTheNameBeatsMatchInAFolder) {
  const auto paths = search("report");
  ASSERT_NE(rankOf(paths, "report/2023.pdf"), -1);
  EXPECT_LT(rankOf(paths, "2023/report.pdf"), rankOf(paths, "report/2023.pdf"));
  EXPECT_LT(rankOf(paths, "archive/old/reports-draft.txt"), rankOf(paths, "report/2023.pdf"));
}

TEST_F(Ranking, WordStartsAndCamelCaseBeatScatteredLetters) {
  const auto paths = search("fb");
  EXPECT_LT(rankOf(paths, "foo_bar.txt"), rankOf(paths, "fabric.txt"));
  EXPECT_LT(rankOf(paths, "FooBar.swift"), rankOf(paths, "fabric.txt"));
  EXPECT_LT(rankOf(paths, "fabric.txt"), rankOf(paths, "fxxxxxxb.txt"));
}

TEST_F(Ranking, ConsecutiveLettersBeatSpreadOnes) {
  const auto paths = search("abc");
  EXPECT_EQ(rankOf(paths, "abc.txt"), 0);
  EXPECT_LT(rankOf(paths, "abc.txt"), rankOf(paths, "axbxc.txt"));
}

TEST_F(Ranking, ExactNameThenShorterPathWins) {
  const auto paths = search("main.c");
  EXPECT_EQ(rankOf(paths, "a/main.c"), 0);
  EXPECT_EQ(rankOf(paths, "a/b/c/main.c"), 1);
  EXPECT_LT(rankOf(paths, "a/b/c/main.c"), rankOf(paths, "x/main.c.orig"));
  // The whole stem typed beats a longer name that merely starts with it.
  const auto stems = search("main");
  EXPECT_LT(rankOf(stems, "main.cpp"), rankOf(stems, "mainframe"));
}

TEST_F(Ranking, CaseIsIgnoredUnlessAskedFor) {
  EXPECT_EQ(rankOf(search("readme"), "README.md"), 0);
  EXPECT_EQ(rankOf(search("ÄRGER"), "Ärger.txt"), 0);
  EXPECT_EQ(rankOf(search("README", FFF_SEARCH_MATCH_CASE), "README.md"), 0);
  EXPECT_EQ(rankOf(search("readme", FFF_SEARCH_MATCH_CASE), "README.md"), -1);
}

TEST_F(Ranking, QueriesMaySpanFoldersWithOrWithoutSlash) {
  EXPECT_EQ(rankOf(search("utilstrings"), "src/util/strings.c"), 0);
  EXPECT_EQ(rankOf(search("util/str"), "src/util/strings.c"), 0);
  EXPECT_EQ(rankOf(search("src/util/strings.c"), "src/util/strings.c"), 0);
  EXPECT_EQ(rankOf(search("/strings"), "src/util/strings.c"), 0);
  EXPECT_THAT(search("strings/util"), IsEmpty());
  EXPECT_THAT(search("zzq"), IsEmpty());
}

TEST_F(Ranking, ScoresDescendAndMatchTheOrder) {
  const auto items = instance_->mixed("main", 100);
  ASSERT_GE(items.size(), 4u);
  for (std::size_t k = 1; k < items.size(); ++k)
    EXPECT_GE(items[k - 1].score, items[k].score);
  EXPECT_GT(items.front().score, 0);
}

TEST_F(Ranking, OffsetLimitDepthAndMinimumScore) {
  const auto all = instance_->mixed("main", 100);
  const auto page = instance_->mixed("main", 2, 0, 1);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(std::string(page[0].path), std::string(all[1].path));
  EXPECT_EQ(std::string(page[1].path), std::string(all[2].path));
  for (const FffItem& item : instance_->mixed("main", 100, 0, 0, 1))
    EXPECT_EQ(item.depth, 0u) << item.path;
  const std::int32_t cut = all[1].score;
  const auto strong = instance_->mixed("main", 100, 0, 0, 0, cut);
  for (const FffItem& item : strong)
    EXPECT_GE(item.score, cut);
  EXPECT_LT(strong.size(), all.size());
  EXPECT_THAT(instance_->mixed("main", 0), IsEmpty());
}

TEST_F(Ranking, EmptyQueryListsShortestPathsFirst) {
  const auto paths = instance_->mixedPaths("", 3);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], "a");
  EXPECT_EQ(paths[1], "x");
}

TEST_F(Ranking, DirectorySearchReturnsOnlyFolders) {
  EXPECT_THAT(instance_->directoryPaths("util"), ElementsAre("src/util"));
  const auto folders = instance_->directories("a", 100);
  ASSERT_FALSE(folders.empty());
  for (const FffItem& item : folders)
    EXPECT_EQ(item.kind, FFF_KIND_DIRECTORY) << item.path;
  EXPECT_THAT(instance_->directoryPaths("main.c"), IsEmpty());
}

TEST(GlobSearch, NewestFirstWithTiesByPathAndLimit) {
  TempTree tree;
  tree.file("a/old.pdf", "", 1000);
  tree.file("b/new.pdf", "", 3000);
  tree.file("c/same2.pdf", "", 2000);
  tree.file("c/same1.pdf", "", 2000);
  tree.file("d/notes.docx", "", 2500);
  tree.file("d/notes.txt", "", 9000);
  tree.file("Upper.PDF", "", 500);
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.globPaths("**/*.{pdf,docx}", FFF_GLOB_NEWEST_FIRST),
              ElementsAre("b/new.pdf", "d/notes.docx", "c/same1.pdf", "c/same2.pdf", "a/old.pdf"));
  EXPECT_THAT(instance.globPaths("**/*.{pdf,docx}", FFF_GLOB_NEWEST_FIRST, 3),
              ElementsAre("b/new.pdf", "d/notes.docx", "c/same1.pdf"));
  EXPECT_THAT(instance.globPaths("**/*.pdf"),
              ElementsAre("a/old.pdf", "b/new.pdf", "c/same1.pdf", "c/same2.pdf"));
  EXPECT_THAT(instance.globPaths("**/*.pdf", FFF_GLOB_IGNORE_CASE | FFF_GLOB_NEWEST_FIRST, 10).back(),
              "Upper.PDF");
  const auto recent = instance.glob("**/*.pdf", 0, 100, 2000);
  EXPECT_THAT(pathsOf(recent), ElementsAre("b/new.pdf", "c/same1.pdf", "c/same2.pdf"));
}

TEST(GlobSearch, KindOptionsAndFolderPatterns) {
  TempTree tree;
  tree.file("src.d/x.c", "");
  tree.file("src/y.c", "");
  tree.dir("lib.c");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.globPaths("**/*.c"), ElementsAre("lib.c", "src.d/x.c", "src/y.c"));
  EXPECT_THAT(instance.globPaths("**/*.c", FFF_GLOB_FILES_ONLY), ElementsAre("src.d/x.c", "src/y.c"));
  EXPECT_THAT(instance.globPaths("*", FFF_GLOB_DIRECTORIES_ONLY), ElementsAre("lib.c", "src", "src.d"));
  EXPECT_THAT(instance.globPaths("src/**"), ElementsAre("src", "src/y.c"));
  EXPECT_THAT(instance.globPaths("{src,src.d}/?.c"), ElementsAre("src.d/x.c", "src/y.c"));
}

}  // namespace
}  // namespace fff::testing

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
          "FooBar.swift", "fxxxxxxb.txt", "abc.txt", "axbxc.txt", "a/main.c", "a/b/c/main.c", "main.cpp",
          "mainframe/notes.txt", "x/main.c.orig"})
      tree_.file(path, "x");
    instance_ = std::make_unique<Instance>(tree_.root(), false);
    ASSERT_TRUE(instance_->waitForScan());
  }

  std::vector<std::string> search(const std::string& query) const {
    return instance_->mixedPaths(query, 100);
  }

  TempTree tree_;
  std::unique_ptr<Instance> instance_;
};

// Orders a user sees; that every match is found and ties go to the shorter path is held to a
// plain walk in shared_names_tests.cpp.
TEST_F(Ranking, BetterMatchesComeFirst) {
  struct Order {
    std::string query, better, worse;
  };
  const std::vector<Order> orders = {
      // A match in the name beats one through the folders.
      {"report", "2023/report.pdf", "report/2023.pdf"},
      {"report", "archive/old/reports-draft.txt", "report/2023.pdf"},
      // Word starts and camel humps beat scattered letters, which beat letters far apart.
      {"fb", "foo_bar.txt", "fabric.txt"},
      {"fb", "FooBar.swift", "fabric.txt"},
      {"fb", "fabric.txt", "fxxxxxxb.txt"},
      {"abc", "abc.txt", "axbxc.txt"},
      // The exact name, then the shorter path; the whole stem beats a name that starts with it.
      {"main.c", "a/main.c", "a/b/c/main.c"},
      {"main.c", "a/b/c/main.c", "x/main.c.orig"},
      {"main", "main.cpp", "mainframe"},
  };
  for (const auto& [query, better, worse] : orders) {
    SCOPED_TRACE("'" + query + "': " + better + " before " + worse);
    const auto paths = search(query);
    ASSERT_NE(rankOf(paths, better), -1);
    ASSERT_NE(rankOf(paths, worse), -1);
    EXPECT_LT(rankOf(paths, better), rankOf(paths, worse));
  }
}

TEST_F(Ranking, ShortPagesStartWithTheBestMatches) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> firsts = {
      {"abc", {"abc.txt"}},
      {"main.c", {"a/main.c", "a/b/c/main.c"}},
      // An empty query lists the shortest paths first.
      {"", {"a", "x"}},
  };
  for (const auto& [query, expected] : firsts) {
    SCOPED_TRACE("'" + query + "'");
    const auto paths = instance_->mixedPaths(query, 3);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(paths.begin(), paths.begin() + expected.size()), expected);
  }
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

// Patterns of stars alone are decided by a path's depth; one with a named component among its
// alternatives is not.
TEST(GlobSearch, PatternsOfStarsAloneMatchByDepth) {
  TempTree tree;
  tree.file("a/b/c.txt", "");
  tree.file("a/d.txt", "");
  tree.file("e.txt", "");
  tree.file("f/g/h.txt", "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.globPaths("**"),
              ElementsAre("a", "a/b", "a/b/c.txt", "a/d.txt", "e.txt", "f", "f/g", "f/g/h.txt"));
  EXPECT_THAT(instance.globPaths("*/*"), ElementsAre("a/b", "a/d.txt", "f/g"));
  EXPECT_THAT(instance.globPaths("{*,a/b/*}"), ElementsAre("a", "a/b/c.txt", "e.txt", "f"));
}

TEST(GlobSearch, ALimitKeepsTheFirstMatchesByPath) {
  TempTree tree;
  for (const char* path : {"m/k.pdf", "b/z.pdf", "z/a.pdf", "b/a.pdf", "a/y.pdf", "k/k.pdf"})
    tree.file(path, "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.globPaths("**/*.pdf", 0, 3), ElementsAre("a/y.pdf", "b/a.pdf", "b/z.pdf"));
}

// Paths are ordered by their bytes, "/" included: "a-b/…" before "a.txt" before "a/…" before
// "a0.txt", and a folder's name that is a prefix of another's comes first ("a/x" before "ab/x").
TEST(GlobSearch, ALimitOrdersPathsByTheirBytesWithFoldersInThem) {
  TempTree tree;
  for (const char* path : {"ab/x.txt", "a0.txt", "a/x.txt", "a/b/x.txt", "a.txt", "a-b/x.txt"})
    tree.file(path, "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  const std::vector<std::string> all{"a-b/x.txt", "a.txt", "a/b/x.txt", "a/x.txt", "a0.txt", "ab/x.txt"};
  for (std::uint32_t limit = 1; limit <= all.size(); ++limit)
    EXPECT_EQ(instance.globPaths("**/*.txt", 0, limit),
              std::vector<std::string>(all.begin(), all.begin() + limit))
        << limit;
}

// Many matches under folders whose names are prefixes of each other, enough for each thread to
// choose its own first ones: every limit keeps exactly the first paths of the whole sorted list.
TEST(GlobSearch, ALimitOverManyNestedMatchesKeepsTheFirstPaths) {
  TempTree tree;
  const std::vector<std::string> names{"a", "a-b", "a.b", "ab", "b", "a0", "a_"};
  std::vector<std::string> all;
  for (const std::string& top : names)
    for (const std::string& middle : names)
      for (const std::string& low : names)
        for (const char* file : {"x.txt", "a.txt", "ab.txt"}) {
          const std::string path = top + "/" + middle + "/" + low + "/" + file;
          tree.file(path, "");
          all.push_back(path);
        }
  std::sort(all.begin(), all.end());
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  for (const std::uint32_t limit : {1u, 2u, 7u, 50u, 200u})
    EXPECT_EQ(instance.globPaths("**/*.txt", 0, limit),
              std::vector<std::string>(all.begin(), all.begin() + limit))
        << limit;
}

// Patterns that fix an extension read only names with its key: the key must ignore case, take
// the last dot, and tell a trailing dot from none.
TEST(GlobSearch, ExtensionsKindsAndFolderPatterns) {
  TempTree tree;
  for (const char* path : {"a.PDF", "b.pdf", "c.Pdf", "d.pdfx", "e.xpdf", "pdf", ".pdf", "f.tar.gz", "g.gz",
                           "h.TAR.GZ", "odd.", "src.d/x.c", "src/y.c"})
    tree.file(path, "");
  tree.dir("folder.pdf");
  tree.dir("lib.c");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  struct Case {
    std::string pattern;
    std::uint32_t options;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"**/*.pdf", 0, {".pdf", "b.pdf", "folder.pdf"}},
      {"**/*.pdf", FFF_GLOB_IGNORE_CASE | FFF_GLOB_FILES_ONLY, {".pdf", "a.PDF", "b.pdf", "c.Pdf"}},
      {"**/*.pdf", FFF_GLOB_DIRECTORIES_ONLY, {"folder.pdf"}},
      {"**/*.tar.gz", 0, {"f.tar.gz"}},
      {"**/*.tar.gz", FFF_GLOB_IGNORE_CASE, {"f.tar.gz", "h.TAR.GZ"}},
      {"**/*.{gz,pdf}", 0, {".pdf", "b.pdf", "f.tar.gz", "folder.pdf", "g.gz"}},
      {"*.", 0, {"odd."}},
      // Without a dot in the literal end every name is read.
      {"*pdf", 0, {".pdf", "b.pdf", "e.xpdf", "folder.pdf", "pdf"}},
      {"**/*.c", 0, {"lib.c", "src.d/x.c", "src/y.c"}},
      {"**/*.c", FFF_GLOB_FILES_ONLY, {"src.d/x.c", "src/y.c"}},
      {"*", FFF_GLOB_DIRECTORIES_ONLY, {"folder.pdf", "lib.c", "src", "src.d"}},
      {"src/**", 0, {"src", "src/y.c"}},
      {"{src,src.d}/?.c", 0, {"src.d/x.c", "src/y.c"}},
  };
  for (const auto& [pattern, options, expected] : cases) {
    SCOPED_TRACE(pattern + " options " + std::to_string(options));
    EXPECT_EQ(instance.globPaths(pattern, options), expected);
  }
}

}  // namespace
}  // namespace fff::testing

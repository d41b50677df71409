#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>

#include "index.h"
#include "results.h"
#include "temp_tree.h"

namespace fff::testing {
namespace {

using ::testing::ElementsAre;

std::map<std::string, FffItem> everything(const Instance& instance) {
  std::map<std::string, FffItem> items;
  for (const FffItem& item : instance.glob("**", 0, UINT32_MAX))
    items.emplace(item.path, item);
  return items;
}

TEST(Scan, RecordsEveryFileAndFolderWithKindSizeAndTime) {
  TempTree tree;
  tree.file("a.txt", "12345", 1600000000);
  tree.file("docs/guide/intro.md", "hello", 1650000000);
  tree.file("docs/empty", "");
  tree.dir("empty folder");
  // The first scan of a watched tree goes level by level, that of an unwatched one walks.
  for (const bool watch : {true, false}) {
    SCOPED_TRACE(watch ? "watching" : "not watching");
    Instance instance(tree.root(), watch);
    ASSERT_TRUE(instance.waitForScan());
    const auto items = everything(instance);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(instance.count(), 6);
    EXPECT_EQ(items.at("a.txt").kind, FFF_KIND_FILE);
    EXPECT_EQ(items.at("a.txt").size, 5u);
    EXPECT_EQ(items.at("a.txt").modified, 1600000000);
    EXPECT_EQ(items.at("a.txt").depth, 0u);
    EXPECT_EQ(items.at("docs/guide/intro.md").modified, 1650000000);
    EXPECT_EQ(items.at("docs/guide/intro.md").depth, 2u);
    EXPECT_EQ(items.at("docs/guide").kind, FFF_KIND_DIRECTORY);
    EXPECT_EQ(items.at("docs/guide").size, 0u);
    EXPECT_EQ(items.at("empty folder").kind, FFF_KIND_DIRECTORY);
  }
}

TEST(Scan, SymbolicLinksAreRecordedButNeverFollowed) {
  TempTree outside;
  outside.file("secret/key.pem", "key");
  TempTree tree;
  tree.file("a/b/file.txt", "x");
  tree.symlink(outside.root(), "escape");
  tree.symlink(".", "loop");
  tree.symlink("../..", "a/b/up");
  tree.symlink("a/b/file.txt", "shortcut.txt");
  tree.symlink("/nonexistent/target", "dangling");
  for (const bool watch : {true, false}) {
    SCOPED_TRACE(watch ? "watching" : "not watching");
    Instance instance(tree.root(), watch);
    ASSERT_TRUE(instance.waitForScan());
    const auto items = everything(instance);
    EXPECT_EQ(items.size(), 8u);
    for (const char* link : {"escape", "loop", "a/b/up", "shortcut.txt", "dangling"}) {
      ASSERT_TRUE(items.contains(link)) << link;
      EXPECT_EQ(items.at(link).kind, FFF_KIND_FILE) << link;
      EXPECT_EQ(items.at(link).flags & FFF_ITEM_SYMLINK, FFF_ITEM_SYMLINK) << link;
    }
    EXPECT_EQ(items.at("a/b/file.txt").flags, 0u);
    EXPECT_TRUE(instance.mixedPaths("key.pem").empty());
    EXPECT_TRUE(instance.globPaths("**/secret/**").empty());
  }
}

TEST(Scan, NamesWithSpacesNonAsciiAndInvalidUtf8AreKeptAsBytes) {
  TempTree tree;
  const std::string invalid = "caf\xe9 \xff.txt";  // Latin-1, as an old archive would leave it
  tree.file("My Documents/Annual Report 2024.pdf", "pdf");
  tree.file("Müsik/Ça va — été.mp3", "mp3");
  tree.file("raw/" + invalid, "x");
  tree.file("\xc3\x84rger.txt", "");      // Ärger.txt
  tree.file("sub/\xc3\xa4rger.txt", "");  // ärger.txt
  tree.file("sub/\xe2\x84\xaa.log", "");  // the Kelvin sign, which folds to "k"
  Instance instance(tree.root());
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.mixedPaths("annual report", 1), ElementsAre("My Documents/Annual Report 2024.pdf"));
  EXPECT_THAT(instance.mixedPaths("ça va", 1), ElementsAre("Müsik/Ça va — été.mp3"));
  EXPECT_THAT(instance.mixedPaths("CA VA ETE", 1), ::testing::IsEmpty());
  EXPECT_THAT(instance.mixedPaths("caf", 1), ElementsAre("raw/" + invalid));
  EXPECT_THAT(instance.globPaths("raw/caf?*.txt"), ElementsAre("raw/" + invalid));
  EXPECT_THAT(instance.globPaths("**/*\xff*"), ElementsAre("raw/" + invalid));
  // A query that is itself not UTF-8 is matched by its bytes.
  EXPECT_THAT(instance.mixedPaths("\xe9 \xff", 1), ElementsAre("raw/" + invalid));
  // Folding covers letters beyond ASCII, and matching case compares them as they are.
  EXPECT_THAT(instance.mixedPaths("\xc3\x84RGER"), ElementsAre("\xc3\x84rger.txt", "sub/\xc3\xa4rger.txt"));
  EXPECT_THAT(instance.mixedPaths("\xc3\xa4rger", 50, FFF_SEARCH_MATCH_CASE),
              ElementsAre("sub/\xc3\xa4rger.txt"));
  EXPECT_THAT(instance.mixedPaths("k.log"), ElementsAre("sub/\xe2\x84\xaa.log"));
  // Folded to an ASCII "k", the Kelvin sign's own bytes must still let a case-matching search read it.
  EXPECT_THAT(instance.mixedPaths("\xe2\x84\xaa", 50, FFF_SEARCH_MATCH_CASE),
              ElementsAre("sub/\xe2\x84\xaa.log"));
}

TEST(Scan, HiddenNamesAreLeftOutOnlyWhenAsked) {
  TempTree tree;
  tree.file(".config/app.toml", "");
  tree.file("visible.txt", "");
  Instance all(tree.root(), false);
  Instance visible(tree.root(), false, 0, 0, true);
  ASSERT_TRUE(all.waitForScan());
  ASSERT_TRUE(visible.waitForScan());
  EXPECT_EQ(all.count(), 3);
  EXPECT_EQ(visible.count(), 1);
}

TEST(Scan, UnreadableFolderIsRecordedAndTheRestScanned) {
  TempTree tree;
  tree.file("open/readable.txt", "");
  tree.file("closed/inside.txt", "");
  tree.file("z.txt", "");
  ASSERT_EQ(::chmod(tree.path("closed").c_str(), 0), 0);
  EXPECT_EQ(asUnprivilegedUser([&]() -> int {
              Instance instance(tree.root());
              if (!instance.waitForScan()) return 10;
              const auto items = everything(instance);
              if (!items.contains("closed") || items.at("closed").kind != FFF_KIND_DIRECTORY) return 11;
              if (items.contains("closed/inside.txt")) return 12;
              if (!items.contains("open/readable.txt") || !items.contains("z.txt")) return 13;
              return items.size() == 4 ? 0 : 14;
            }),
            0)
      << "see the check numbers in the lambda";
}

TEST(Scan, UnreadableFolderMakesTheScanIncompleteAndSaysWhich) {
  TempTree tree;
  tree.file("closed/inside.txt", "");
  tree.file("z.txt", "");
  ASSERT_EQ(::chmod(tree.path("closed").c_str(), 0), 0);
  EXPECT_EQ(asUnprivilegedUser([&]() -> int {
              Instance instance(tree.root(), false);
              std::string reason;
              if (instance.scanState(20000, &reason) != FFF_SCAN_INCOMPLETE) return 10;
              if (reason.find("1 folder could not be read") == std::string::npos) return 11;
              return reason.find(tree.path("closed")) == std::string::npos ? 12 : 0;
            }),
            0)
      << "see the check numbers in the lambda";
}

// The first scan reads names only and sizes and times after: a result asked for before then
// reads them itself.
TEST(Scan, ResultsCarrySizeAndTimeBeforeTheScanHasReadThem) {
  TempTree tree;
  tree.file("docs/a.txt", "12345", 1700000000);
  Index index;
  Listed docs;
  docs.name = "docs";
  docs.kind = Kind::directory;
  const std::uint32_t folder = index.details(index.add(kRootDirectory, docs)).directory;
  Listed named;
  named.name = "a.txt";
  named.detailed = false;
  const std::uint32_t entry = index.add(folder, named);
  OwnedResults results;
  fillResults(index, tree.root(), Matches{.items = {{entry, 0}}, .total = 1}, results);
  ASSERT_EQ(results.items.size(), 1u);
  EXPECT_EQ(results.items[0].size, 5u);
  EXPECT_EQ(results.items[0].modified, 1700000000);
}

TEST(Scan, SizesAndTimesReadOnDemandOrderANewestFirstGlob) {
  TempTree tree;
  tree.file("old.txt", "1", 1600000000);
  tree.file("new.txt", "22", 1700000000);
  tree.file("mid.txt", "333", 1650000000);
  FffOptions options{};
  options.version = FFF_OPTIONS_VERSION;
  options.root = tree.root().c_str();
  options.details_on_demand = 1;
  FffResult* created = fff_create_instance_with(&options);
  ASSERT_TRUE(created && created->success);
  auto* handle = static_cast<FffInstance*>(created->handle);
  fff_free_result(created);
  FffResult* globbed = fff_glob(handle, "*.txt", 0, 0, FFF_GLOB_NEWEST_FIRST, 10);
  ASSERT_TRUE(globbed && globbed->success);
  auto* found = static_cast<FffSearchResult*>(globbed->handle);
  std::vector<std::string> order;
  for (std::uint32_t k = 0; k < fff_search_result_count(found); ++k)
    order.emplace_back(fff_search_result_get_item(found, k)->path);
  EXPECT_THAT(order, ElementsAre("new.txt", "mid.txt", "old.txt"));
  fff_free_search_result(found);
  fff_free_result(globbed);
  fff_destroy(handle);
}

TEST(Scan, WideAndDeepTreesAreScannedCompletely) {
  TempTree tree;
  std::string deep;
  for (int level = 0; level < 40; ++level)
    deep += "level" + std::to_string(level) + "/";
  tree.file(deep + "bottom.txt", "");
  for (int i = 0; i < 2000; ++i)
    tree.file("wide/file" + std::to_string(i) + ".dat", "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_EQ(instance.count(), 40 + 1 + 1 + 2000);
  EXPECT_THAT(instance.mixedPaths("bottom.txt", 1), ElementsAre(deep + "bottom.txt"));
}

// While one thread lists a folder of thousands of names, the other takes folders it has still to
// enter: each is scanned once, none twice.
TEST(Scan, FoldersHandedOnDuringALongListingAreScannedOnce) {
  TempTree tree;
  for (int i = 0; i < 1500; ++i)
    tree.file("a-full/file" + std::to_string(i), "");
  for (int folder = 0; folder < 100; ++folder)
    for (int below = 0; below < 4; ++below)
      tree.file("b" + std::to_string(folder) + "/c" + std::to_string(below) + "/note.txt", "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_EQ(instance.count(), 1 + 1500 + 100 * (1 + 4 * 2));
  EXPECT_EQ(instance.globPaths("**/note.txt", 0, 1000).size(), 400u);
}

// Sizes and times are read below folders too deep or too full for one reader to take whole.
TEST(Scan, NewestFirstOrderReachesTheDeepestAndFullestFolders) {
  TempTree tree;
  std::string deep;
  for (int level = 0; level < 40; ++level)
    deep += "level" + std::to_string(level) + "/";
  tree.file(deep + "bottom.txt", "", 1700000000);
  for (int i = 0; i < 5000; ++i)
    tree.file("wide/file" + std::to_string(i) + ".txt", "", i == 2500 ? 1650000000 : 1600000000);
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.globPaths("**/*.txt", FFF_GLOB_NEWEST_FIRST, 2),
              ElementsAre(deep + "bottom.txt", "wide/file2500.txt"));
}

}  // namespace
}  // namespace fff::testing

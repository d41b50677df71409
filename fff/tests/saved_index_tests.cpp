#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "checked_mark.h"
#include "glob_search.h"
#include "saved_index.h"
#include "temp_tree.h"

namespace fff::testing {
namespace {

using ::testing::ElementsAre;

// A tree, and a place beside it for its saved index.
class SavedIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.file("docs/report.pdf", "pdf");
    tree_.file("docs/old.txt", "old");
    tree_.file("music/song.mp3", "mp3");
    tree_.settle();
  }
  // Indexes the tree with the saved index and returns every path found.
  std::vector<std::string> indexed(const std::string& root) const {
    Instance instance(root, false, 0, 0, false, saved_);
    EXPECT_TRUE(instance.waitForScan());
    return instance.globPaths("**");
  }
  // Puts a folder's modification time back, as if nothing had changed in it.
  void keepTime(const std::string& folder, const struct timespec& time) const {
    const struct timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, tree_.path(folder).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  // The saved index read straight from its file, as an instance that finds it would.
  bool load(fff::Index& out) const {
    struct stat info {};
    ::stat(tree_.root().c_str(), &info);
    const std::string root = std::filesystem::canonical(tree_.root());
    return loadIndex(saved_, {.root = root, .device = info.st_dev, .inode = info.st_ino}, out);
  }
  static std::vector<std::string> globbed(const fff::Index& index, const std::string& pattern) {
    std::vector<std::string> paths;
    for (const Match& match : globSearch(index, pattern, {.limit = 100}).items)
      paths.push_back(index.path(match.entry));
    return paths;
  }
  static struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info;
  }
  bool markStands() const { return CheckedMark(saved_, statOf(saved_)).stands(); }
  struct timespec timeOf(const std::string& folder) const {
    struct stat info {};
    ::stat(tree_.path(folder).c_str(), &info);
    return info.st_mtim;
  }

  TempTree tree_;
  TempTree cache_;
  std::string saved_ = cache_.path("tree.index");
};

// Where the hash slots of a small saved index begin: after a count that is a power of two (a
// thousand or more), that many ids, each a small name id or free (all ones). npos if none.
std::size_t slotsOffset(const std::string& bytes) {
  for (std::size_t at = 0; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t count = 0;
    std::memcpy(&count, bytes.data() + at, sizeof count);
    if (count < 1024 || (count & (count - 1)) != 0 || (bytes.size() - at - 8) / 4 < count) continue;
    std::size_t used = 0;
    bool slots = true;
    for (std::size_t k = 0; k < count && slots; ++k) {
      std::uint32_t id = 0;
      std::memcpy(&id, bytes.data() + at + 8 + 4 * k, sizeof id);
      if (id == UINT32_MAX) continue;
      slots = id < 64;
      ++used;
    }
    if (slots && used > 0) return at + 8;
  }
  return std::string::npos;
}

TEST_F(SavedIndex, ChangedFoldersAreListedAgain) {
  indexed(tree_.root());
  ASSERT_TRUE(std::filesystem::exists(saved_));
  tree_.remove("docs/old.txt");
  tree_.file("docs/new.txt", "new");
  tree_.file("music/live/track.mp3", "mp3");
  EXPECT_THAT(indexed(tree_.root()), ElementsAre("docs", "docs/new.txt", "docs/report.pdf", "music",
                                                 "music/live", "music/live/track.mp3", "music/song.mp3"));
}

TEST_F(SavedIndex, AChangeDeepBelowUnchangedFoldersIsFound) {
  tree_.file("docs/a/b/c/d/deep.txt", "");
  tree_.file("docs/a/side/x.txt", "");
  indexed(tree_.root());
  tree_.file("docs/a/b/c/d/deeper.txt", "");
  tree_.remove("docs/a/side/x.txt");
  const auto found = indexed(tree_.root());
  EXPECT_THAT(found, ::testing::Contains("docs/a/b/c/d/deeper.txt"));
  EXPECT_THAT(found, ::testing::Not(::testing::Contains("docs/a/side/x.txt")));
}

// What updatedb does too: a folder whose time is as saved is taken as saved, unread.
TEST_F(SavedIndex, UnchangedFoldersAreTakenFromTheSavedIndex) {
  indexed(tree_.root());
  const struct timespec before = timeOf("docs");
  tree_.file("docs/sneaked.txt", "");
  keepTime("docs", before);
  EXPECT_THAT(indexed(tree_.root()),
              ElementsAre("docs", "docs/old.txt", "docs/report.pdf", "music", "music/song.mp3"));
}

// Searches answer from a loaded index while its folders are checked; once the check has found
// every folder as saved, what they found stands.
TEST_F(SavedIndex, AnUnchangedTreeLetsTheSavedAnswersStand) {
  indexed(tree_.root());
  Instance instance(tree_.root(), false, 0, 0, false, saved_);
  EXPECT_THAT(instance.searchable(), ::testing::AnyOf(FFF_SEARCHABLE_AS_SAVED, FFF_SEARCHABLE_SCANNED));
  EXPECT_THAT(instance.globPaths("**"),
              ElementsAre("docs", "docs/old.txt", "docs/report.pdf", "music", "music/song.mp3"));
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_TRUE(instance.savedIndexStood());
}

TEST_F(SavedIndex, AChangedFolderMeansTheSavedAnswersDoNotStand) {
  indexed(tree_.root());
  tree_.file("music/new.mp3", "mp3");
  Instance instance(tree_.root(), false, 0, 0, false, saved_);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_FALSE(instance.savedIndexStood());
  EXPECT_THAT(instance.globPaths("music/*"), ElementsAre("music/new.mp3", "music/song.mp3"));
}

// Searches made while changed folders are listed again find the index as saved or as changed,
// never torn: every name one of the folders had or has, each folder's names as saved at least. On
// a busy machine the check can end before the first search, so rounds of changes are made until
// searches have run while it did.
TEST_F(SavedIndex, SearchesWhileChangedFoldersAreListedAgainSeeAWholeIndex) {
  constexpr int kFolders = 1000;
  constexpr int kRounds = 10;
  for (int folder = 0; folder < kFolders; ++folder)
    tree_.file("many/" + std::to_string(folder) + "/f", "");
  tree_.settle();
  indexed(tree_.root());
  std::size_t saved = kFolders;
  int searchesWhileChecking = 0;
  for (int round = 0; round < kRounds && searchesWhileChecking == 0; ++round) {
    const std::string added = "g" + std::to_string(round);
    for (int folder = 0; folder < kFolders; folder += 2)
      tree_.file("many/" + std::to_string(folder) + "/" + added, "");
    Instance instance(tree_.root(), false, 0, 0, false, saved_);
    if (instance.searchable() == FFF_SEARCHABLE_AS_SAVED) {
      bool checking = true;
      while (checking) {
        const std::vector<std::string> found = instance.globPaths("many/*/*", 0, 100000);
        // Still checking after the search: the search ran while the check did.
        checking = instance.scanState(0) == FFF_SCAN_RUNNING;
        searchesWhileChecking += checking ? 1 : 0;
        EXPECT_GE(found.size(), saved);
        EXPECT_TRUE(std::all_of(found.begin(), found.end(), [](const std::string& path) {
          const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
          return name == "f" || (name.starts_with("g") && name.size() > 1);
        }));
      }
    }
    ASSERT_TRUE(instance.waitForScan());
    EXPECT_EQ(instance.globPaths("many/*/" + added, 0, 100000).size(), std::size_t{kFolders / 2});
    saved += kFolders / 2;
  }
  EXPECT_GT(searchesWhileChecking, 0) << "in " << kRounds << " rounds the check never outlasted a search";
}

// Nothing was saved to stand: a first scan, and a watching instance (searched once scanned).
// Enough folders that checking them outlasts the wait for a loaded index.
TEST_F(SavedIndex, OnlyAnIndexLoadedWithoutWatchingAnswersAsSaved) {
  for (int folder = 0; folder < 2000; ++folder)
    tree_.file("many/" + std::to_string(folder) + "/f", "");
  tree_.settle();
  Instance first(tree_.root(), false, 0, 0, false, saved_);
  EXPECT_EQ(first.searchable(), FFF_SEARCHABLE_SCANNED);
  EXPECT_FALSE(first.savedIndexStood());
  indexed(tree_.root());
  Instance watching(tree_.root(), true, 0, 0, false, saved_);
  EXPECT_EQ(watching.searchable(), FFF_SEARCHABLE_SCANNED);
}

// A change made in the tick the scan listed a folder may leave the folder's time as it was: a
// folder whose time is not older than the scan (here, ahead of it) is listed again next time,
// whether its time was read before its listing (the root's) or after (the walk's folders').
TEST_F(SavedIndex, FoldersNoOlderThanTheScanAreListedAgain) {
  const struct timespec ahead { std::time(nullptr) + 3600, 0 };
  keepTime("", ahead);
  keepTime("docs", ahead);
  indexed(tree_.root());
  tree_.file("sneaked.txt", "");
  tree_.file("docs/sneaked.txt", "");
  keepTime("", ahead);
  keepTime("docs", ahead);
  const auto found = indexed(tree_.root());
  EXPECT_THAT(found, ::testing::Contains("sneaked.txt"));
  EXPECT_THAT(found, ::testing::Contains("docs/sneaked.txt"));
}

// The saved index keeps what a refresh removed as removed, through any number of runs.
TEST_F(SavedIndex, RemovedFilesStayGoneAfterSavingAgain) {
  indexed(tree_.root());
  tree_.remove("docs/old.txt");
  indexed(tree_.root());
  tree_.file("music/new.mp3", "mp3");
  EXPECT_THAT(indexed(tree_.root()),
              ElementsAre("docs", "docs/report.pdf", "music", "music/new.mp3", "music/song.mp3"));
}

// Searching a loaded index reads the file where it lies: nothing is copied for a search.
TEST_F(SavedIndex, ALoadedIndexIsSearchedWhereItLies) {
  indexed(tree_.root());
  fff::Index index;
  ASSERT_TRUE(load(index));
  EXPECT_THAT(globbed(index, "**/*.pdf"), ElementsAre("docs/report.pdf"));
  EXPECT_TRUE(index.readInPlace());
}

// A change copies what it changes out of the file, and the rest still reads as saved.
TEST_F(SavedIndex, ALoadedIndexTakesChanges) {
  indexed(tree_.root());
  fff::Index index;
  ASSERT_TRUE(load(index));
  const std::uint32_t music = index.details(index.lastWithName(index.intern("music"))).directory;
  index.add(music, {.name = "live.mp3"});
  index.remove(index.lastWithName(index.intern("old.txt")));
  EXPECT_FALSE(index.readInPlace());
  EXPECT_THAT(globbed(index, "**"),
              ElementsAre("docs", "docs/report.pdf", "music", "music/live.mp3", "music/song.mp3"));
}

// A watching instance started from a saved index takes the tree's later changes.
TEST_F(SavedIndex, AWatchingInstanceFromASavedIndexFollowsChanges) {
  indexed(tree_.root());
  Instance instance(tree_.root(), true, 0, 0, false, saved_);
  ASSERT_TRUE(instance.waitForScan());
  tree_.file("music/live/track.mp3", "mp3");
  tree_.remove("docs/old.txt");
  EXPECT_TRUE(eventually([&] {
    return instance.globPaths("**") ==
           std::vector<std::string>{"docs",       "docs/report.pdf",      "music",
                                    "music/live", "music/live/track.mp3", "music/song.mp3"};
  }));
}

TEST_F(SavedIndex, DamagedSavedIndexIsIgnored) {
  indexed(tree_.root());
  const auto size = std::filesystem::file_size(saved_);
  for (const auto cut : {size / 2, size - 1, std::uintmax_t{7}}) {
    std::filesystem::resize_file(saved_, cut);
    EXPECT_EQ(indexed(tree_.root()).size(), 5u) << cut;
  }
  std::ofstream(saved_, std::ios::trunc) << std::string(4096, '\xff');
  EXPECT_EQ(indexed(tree_.root()).size(), 5u);
}

TEST_F(SavedIndex, SavedIndexWithAChangedByteIsIgnored) {
  indexed(tree_.root());
  std::string bytes;
  {
    std::ifstream file(saved_, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), {});
  }
  // A name's letter changed ("report" to "rdport"), in a folder whose time is as saved, in a
  // file not written by the library (as a copy from elsewhere would be).
  const auto at = bytes.find("report.pdf");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 1] = 'd';
  std::ofstream(saved_ + ".new", std::ios::binary) << bytes;
  std::filesystem::rename(saved_ + ".new", saved_);
  EXPECT_THAT(indexed(tree_.root()),
              ElementsAre("docs", "docs/old.txt", "docs/report.pdf", "music", "music/song.mp3"));
}

TEST_F(SavedIndex, AFolderSearchFindsTheFoldersOfALoadedIndex) {
  indexed(tree_.root());
  Instance instance(tree_.root(), false, 0, 0, false, saved_);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.directoryPaths("music"), ElementsAre("music"));
}

// A hash slot damaged in a file whose checksum is not read (its mark stands): the load takes the
// file, and the first name added finds the slots wrong and makes them again from the names.
TEST_F(SavedIndex, DamagedHashSlotsAreMadeAgainWhenANameIsAdded) {
  indexed(tree_.root());
  std::string bytes;
  {
    std::ifstream file(saved_, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), {});
  }
  const std::size_t slots = slotsOffset(bytes);
  ASSERT_NE(slots, std::string::npos);
  std::uint64_t count = 0;
  std::memcpy(&count, bytes.data() + slots - sizeof count, sizeof count);
  // Every slot, free or not, points far outside the table: any lookup meets one.
  for (std::size_t at = slots; at < slots + 4 * count; at += 4) {
    const std::uint32_t far = 0x7ffffff0;
    std::memcpy(bytes.data() + at, &far, sizeof far);
  }
  std::ofstream(saved_ + ".new", std::ios::binary) << bytes;
  std::filesystem::rename(saved_ + ".new", saved_);
  CheckedMark(saved_, statOf(saved_)).recordWritten();
  ASSERT_TRUE(markStands());
  tree_.file("docs/brand-new.txt", "new");
  // Left out as long as the file is the index: its folder's time is as saved.
  const struct timespec before = timeOf("music");
  tree_.file("music/sneaked.mp3", "");
  keepTime("music", before);
  EXPECT_THAT(indexed(tree_.root()), ElementsAre("docs", "docs/brand-new.txt", "docs/old.txt",
                                                 "docs/report.pdf", "music", "music/song.mp3"));
}

// Where the entries of a saved index begin: after the first count equal to theirs that is
// followed by that many 16-byte records. npos if none.
std::size_t entriesOffset(const std::string& bytes, std::size_t entries) {
  for (std::size_t at = 0; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t count = 0;
    std::memcpy(&count, bytes.data() + at, sizeof count);
    if (count == entries && (bytes.size() - at - 8) / 16 >= count) return at + 8;
  }
  return std::string::npos;
}

TEST_F(SavedIndex, AnEntryPointingOutsideTheIndexIsRefusedWhereverItLies) {
  // More entries than one of the blocks the check reads them in; the same names in every
  // folder, so that no other array of the file has as many records as the entries.
  for (int folder = 0; folder < 2; ++folder)
    for (int file = 0; file < 2100; ++file)
      tree_.file("many/" + std::to_string(folder) + "/f" + std::to_string(file), "");
  tree_.settle();
  indexed(tree_.root());
  fff::Index saved;
  ASSERT_TRUE(load(saved));
  const std::size_t entries = saved.entries().size();
  EXPECT_EQ(saved.liveCount(), entries);
  ASSERT_GT(entries, 4200u);
  std::string bytes;
  {
    std::ifstream file(saved_, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), {});
  }
  const std::size_t first = entriesOffset(bytes, entries);
  ASSERT_NE(first, std::string::npos);
  for (const std::size_t damaged : {std::size_t{0}, entries / 2, entries - 1}) {
    std::string copy = bytes;
    // The entry's folder, far past the last one; the file is known whole, so that no checksum
    // stands in for the check of its ids.
    const std::uint32_t far = 0x7ffffff0;
    std::memcpy(copy.data() + first + 16 * damaged + 4, &far, sizeof far);
    std::ofstream(saved_ + ".new", std::ios::binary) << copy;
    std::filesystem::rename(saved_ + ".new", saved_);
    CheckedMark(saved_, statOf(saved_)).recordWritten();
    ASSERT_TRUE(markStands());
    fff::Index loaded;
    EXPECT_FALSE(load(loaded)) << damaged;
  }
}

TEST_F(SavedIndex, TheWrittenFileIsKnownWholeUntilReplaced) {
  indexed(tree_.root());
  EXPECT_TRUE(markStands());
  std::filesystem::copy_file(saved_, saved_ + ".copy");
  std::filesystem::rename(saved_ + ".copy", saved_);
  EXPECT_FALSE(markStands());
}

TEST_F(SavedIndex, AFileIsMarkedCheckedOnlyOnceItsTimesAreSettled) {
  indexed(tree_.root());
  std::filesystem::remove(CheckedMark::markPath(saved_));
  const struct stat info = statOf(saved_);
  CheckedMark(saved_, info).recordChecked(info.st_ctim.tv_sec + 1);
  EXPECT_FALSE(markStands());
  CheckedMark(saved_, info).recordChecked(info.st_ctim.tv_sec + 2);
  EXPECT_TRUE(markStands());
}

TEST_F(SavedIndex, AMarkOfAnotherBootDoesNotStand) {
  indexed(tree_.root());
  std::string mark;
  std::getline(std::ifstream(CheckedMark::markPath(saved_)), mark);
  mark[0] = mark[0] == '0' ? '1' : '0';
  std::ofstream(CheckedMark::markPath(saved_), std::ios::trunc) << mark << '\n';
  EXPECT_FALSE(markStands());
}

TEST_F(SavedIndex, SavedIndexOfAnotherFolderIsIgnored) {
  TempTree other;
  other.file("elsewhere.txt", "");
  indexed(other.root());
  EXPECT_EQ(indexed(tree_.root()).size(), 5u);
}

TEST_F(SavedIndex, SizesAndTimesAreReadAgainAfterLoading) {
  indexed(tree_.root());
  const struct timespec before = timeOf("docs");
  tree_.file("docs/report.pdf", "a longer pdf", 1700000000);
  keepTime("docs", before);
  Instance instance(tree_.root(), false, 0, 0, false, saved_);
  ASSERT_TRUE(instance.waitForScan());
  const auto found = instance.glob("docs/report.pdf");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].size, 12u);
  EXPECT_EQ(found[0].modified, 1700000000);
}

// A command-line search ends without waiting for the write; the next run still finds the index.
TEST_F(SavedIndex, AFolderThatCouldNotBeReadIsListedOnceItCanBe) {
  tree_.file("closed/inside.txt", "");
  ASSERT_EQ(::chmod(cache_.root().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(tree_.path("closed").c_str(), 0), 0);
  const auto finds = [&](bool wanted) {
    return asUnprivilegedUser([&]() -> int {
      Instance instance(tree_.root(), false, 0, 0, false, saved_);
      if (!instance.waitForScan()) return 10;
      const std::vector<std::string> paths = instance.globPaths("**");
      if (std::find(paths.begin(), paths.end(), "closed") == paths.end()) return 11;
      return (std::find(paths.begin(), paths.end(), "closed/inside.txt") != paths.end()) == wanted ? 0 : 12;
    });
  };
  ASSERT_EQ(finds(false), 0) << "see the check numbers in the lambda";
  ASSERT_TRUE(std::filesystem::exists(saved_));
  ASSERT_EQ(::chmod(tree_.path("closed").c_str(), 0755), 0);
  EXPECT_EQ(finds(true), 0) << "see the check numbers in the lambda";
}

TEST_F(SavedIndex, AnIndexWrittenDetachedServesTheNextRun) {
  {
    FffOptions options{};
    options.version = FFF_OPTIONS_VERSION;
    options.root = tree_.root().c_str();
    options.details_on_demand = 1;
    options.saved_index = saved_.c_str();
    options.save_detached = 1;
    Instance instance(options);
    ASSERT_TRUE(instance.waitForScan());
  }
  ASSERT_TRUE(eventually([&] { return std::filesystem::exists(saved_); }));
  const struct timespec before = timeOf("docs");
  tree_.file("docs/sneaked.txt", "");
  keepTime("docs", before);
  EXPECT_THAT(indexed(tree_.root()),
              ElementsAre("docs", "docs/old.txt", "docs/report.pdf", "music", "music/song.mp3"));
}

}  // namespace
}  // namespace fff::testing

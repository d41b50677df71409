#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "quillo/core/files/file_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using test_support::disk;

namespace fs = std::filesystem;

using test_support::library;

std::vector<std::string> names(const std::vector<FileEntry>& entries) {
  std::vector<std::string> out;
  for (const FileEntry& entry : entries)
    out.push_back(fileName(entry.url));
  return out;
}

using test_support::titles;

// Sets a file's modification time `seconds` from now: later than its creation, which the
// file system records as now.
void touch(const fs::path& path, int seconds) {
  testing::writeFile(path, "x");
  fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
}

class FileIndexTest : public ::testing::Test {
 protected:
  FileIndexTest() {
    touch(tmp / "Documents/Q3 Sales Report.pdf", 3000);
    touch(tmp / "Documents/Report Q3.pdf", 2000);
    touch(tmp / "Documents/notes/report-draft.docx", 4000);
    touch(tmp / "Documents/a.pdf", 1000);
    touch(tmp / "Documents/b.pdf", 1000);
    touch(tmp / "Documents/Trip.photoslibrary/originals/report.jpg", 5000);
    touch(tmp / "Documents/Reports/summary.txt", 100);
    touch(tmp / "Work/Invoice 2026.PDF", 6000);
    touch(tmp / "Work/logo.png", 500);
  }

  FileIndex make(const std::vector<std::string>& folders) {
    std::vector<base::Url> urls;
    for (const std::string& folder : folders)
      urls.push_back(base::Url::file((tmp / folder).string()));
    return FileIndex(urls, {}, library(), {.display = {.homeFolder = tmp.path().string()}, .files = &disk});
  }

  testing::TemporaryFolder tmp;
};

TEST_F(FileIndexTest, SearchesEveryRootAndLeavesPackagesClosed) {
  FileIndex index = make({"Documents", "Work", "Missing"});
  index.waitForInitialScan({});
  EXPECT_EQ(index.rootCount(), 2);
  ASSERT_EQ(index.failedFolders().size(), 1u);
  EXPECT_NE(index.failedFolders().begin()->second, "");
  ASSERT_EQ(index.rootCommands().size(), 2u);
  EXPECT_EQ(index.rootCommands()[0].id, "folder." + (tmp / "Documents").string());
  EXPECT_EQ(index.rootCommands()[0].detail, "~ \u00b7 Folder");

  const auto found = names(index.search("report", 20));
  {
    for (const char* name : {"Q3 Sales Report.pdf", "Report Q3.pdf", "report-draft.docx", "Reports"})
      EXPECT_NE(std::find(found.begin(), found.end(), name), found.end()) << name;
  }
  EXPECT_EQ(std::find(found.begin(), found.end(), "report.jpg"), found.end());
  EXPECT_EQ(names(index.search("trip", 5)), std::vector<std::string>{"Trip.photoslibrary"});
  // The roots' own names are found too.
  EXPECT_EQ(names(index.search("work", 5)).back(), "Work");
  EXPECT_EQ(titles(index.rootHits("docu")), std::vector<std::string>{"Documents"});

  const auto hits = index.localHits("report", 3);
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_GE(hits[0].score, hits[2].score);
  EXPECT_TRUE(index.localHits("   ", 3).empty());
}

TEST_F(FileIndexTest, FileNameHitsPutTheNamedFileFirst) {
  FileIndex index = make({"Documents", "Work"});
  index.waitForInitialScan({});
  const auto hits = index.filenameHits("q3 sales report", 5);
  ASSERT_FALSE(hits.empty());
  EXPECT_EQ(hits[0].command.title, "Q3 Sales Report.pdf");
  EXPECT_EQ(hits[0].score, 1000);
  EXPECT_LE(hits.size(), 5u);

  const auto invoice = index.filenameHits("INVOICE 2026", 5);
  ASSERT_FALSE(invoice.empty());
  EXPECT_EQ(invoice[0].command.title, "Invoice 2026.PDF");
  EXPECT_EQ(invoice[0].command.kind, Command::Kind::file);
  EXPECT_EQ(invoice[0].command.fileDetail->folder, "~/Work");

  const auto folder = index.filenameHits("reports", 5);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder[0].command.id, "folder." + (tmp / "Documents/Reports").string());
  EXPECT_TRUE(index.filenameHits("", 5).empty());
}

// The name globs take a typed name literally, whatever glob characters it holds.
TEST_F(FileIndexTest, GlobCharactersInATypedNameAreTakenLiterally) {
  touch(tmp / "Notes/Draft[1]*.txt", 100);
  touch(tmp / "Notes/Draft1x.txt", 100);
  FileIndex index = make({"Notes"});
  index.waitForInitialScan({});
  EXPECT_EQ(titles(index.filenameHits("draft[1]*", 5)), std::vector<std::string>{"Draft[1]*.txt"});
}

TEST_F(FileIndexTest, RecentFilesComeNewestFirstGroupByGroup) {
  FileIndex index = make({"Documents", "Work"});
  EXPECT_EQ(names(index.files({"pdf"}, 10)),
            (std::vector<std::string>{"Invoice 2026.PDF", "Q3 Sales Report.pdf", "Report Q3.pdf", "a.pdf",
                                      "b.pdf"}));
  EXPECT_EQ(names(index.files({"pdf"}, 2)),
            (std::vector<std::string>{"Invoice 2026.PDF", "Q3 Sales Report.pdf"}));
  EXPECT_EQ(
      names(index.files({{{"docx", "png"}, 5}, {{"pdf"}, 2}})),
      (std::vector<std::string>{"report-draft.docx", "Invoice 2026.PDF", "logo.png", "Q3 Sales Report.pdf"}));
  EXPECT_TRUE(index.files({"jpg"}, 10).empty());
  EXPECT_EQ(names(index.folders("rep", 10)), std::vector<std::string>{"Reports"});
}

TEST_F(FileIndexTest, ItemsInsidePackagesDoNotUseUpASearchsBudget) {
  // More recent photos inside a photo library than any page the library is first asked for.
  for (int k = 0; k < 120; ++k)
    touch(tmp / "Pictures/A.photoslibrary/originals" / ("holiday." + std::to_string(k) + ".jpg"), 9000 + k);
  touch(tmp / "Pictures/beach.jpg", 200);
  touch(tmp / "Pictures/holiday.jpg", 100);
  FileIndex index = make({"Pictures"});
  index.waitForInitialScan({});
  EXPECT_EQ(names(index.files({"jpg"}, 2)), (std::vector<std::string>{"beach.jpg", "holiday.jpg"}));
  EXPECT_EQ(titles(index.filenameHits("holiday", 3)), std::vector<std::string>{"holiday.jpg"});
  EXPECT_EQ(names(index.search("holiday", 1)), std::vector<std::string>{"holiday.jpg"});
}

// The name globs' first pages, asked together, come back full of items inside a package; the
// globs ask on, and find the file that the fuzzy search's page leaves out behind shorter paths.
TEST_F(FileIndexTest, NameGlobsPagePastPackageItems) {
  for (int k = 0; k < 150; ++k)
    touch(tmp / "Pictures/A.photoslibrary/originals" / ("holiday" + std::to_string(k) + ".jpg"), 0);
  for (int k = 0; k < 60; ++k)
    touch(tmp / "Pictures" / ("holiday " + std::to_string(k) + ".jpg"), 0);
  touch(tmp / "Pictures/z/holidays in the mountains of the north, the long way round.jpg", 0);
  FileIndex index = make({"Pictures"});
  index.waitForInitialScan({});
  const std::vector<std::string> found = titles(index.filenameHits("holiday", 100));
  EXPECT_NE(
      std::find(found.begin(), found.end(), "holidays in the mountains of the north, the long way round.jpg"),
      found.end());
}

TEST(FileIndex, WithoutTheLibraryEveryFolderFailsWithTheReason) {
  EXPECT_THROW(FffLibrary::load(disk, {"/nonexistent/libfff_c.so"}), FffLibraryError);
  FileIndex index({base::Url::file("/a"), base::Url::file("/b")}, {}, nullptr, {}, "not here");
  EXPECT_EQ(index.rootCount(), 0);
  EXPECT_EQ(index.failedFolders(),
            (std::map<std::string, std::string>{{"/a", "not here"}, {"/b", "not here"}}));
  EXPECT_TRUE(index.search("x", 5).empty());
  EXPECT_TRUE(index.files({"pdf"}, 5).empty());
  EXPECT_EQ(FffLibrary::candidates("/opt/fff.so", "/usr/bin/quillo"),
            std::vector<std::string>{"/opt/fff.so"});
  EXPECT_EQ(FffLibrary::candidates(nullptr, "/usr/bin/quillo")[2], "/usr/lib/libfff_c.so");
}

TEST(FffLibrary, ALibraryLackingAFunctionIsRefusedByName) {
  testing::FakeFileSystem files;
  files.files["/lib/libfff_c.so"] = "";
  files.libraries["/lib/libfff_c.so"] = {};
  try {
    FffLibrary::load(files, {"/lib/libfff_c.so"});
    FAIL() << "a library without its functions was accepted";
  } catch (const FffLibraryError& error) {
    EXPECT_EQ(std::string(error.what()), "The file index library lacks fff_create_instance_with.");
  }
}

TEST(FileIndexItems, DropsWhatTheIndexMustNotReport) {
  const auto kept = [](std::string_view relative, bool folder = false) {
    return entryForItem("/root", relative, folder, 7, 1700000000).has_value();
  };
  EXPECT_TRUE(kept("a/b.txt"));
  EXPECT_TRUE(kept("Trip.photoslibrary", true));
  EXPECT_FALSE(kept("Trip.PhotosLibrary/originals/x.jpg"));
  EXPECT_FALSE(kept("Tool.app/Contents", true));
  EXPECT_FALSE(kept(""));
  EXPECT_FALSE(kept("/etc/passwd"));
  EXPECT_FALSE(kept("a/../../etc/passwd"));
  EXPECT_FALSE(kept(".."));
  EXPECT_TRUE(kept("a/./b.txt"));

  const auto file = entryForItem("/root", "a/b.txt", false, 7, 1700000000);
  EXPECT_EQ(*file,
            (FileEntry{FileEntry::Kind::file, base::Url::file("/root/a/b.txt"), 7, base::Date{1700000000}}));
  const auto folder = entryForItem("/root", "a", true, 7, 1700000000);
  EXPECT_EQ(folder->size, 0u);
  EXPECT_EQ(folder->modified, FileEntry::distantPast);
}

TEST(FileIndexItems, InterleavesWithoutRepeatsAndWritesCaseInsensitiveGlobs) {
  const auto entry = [](const char* name) {
    return FileEntry{.url = base::Url::file(std::string("/r/") + name)};
  };
  EXPECT_EQ(names(interleave({{entry("a"), entry("b"), entry("c")}, {entry("d"), entry("a")}}, 10)),
            (std::vector<std::string>{"a", "d", "b", "c"}));
  EXPECT_EQ(names(interleave({{entry("a"), entry("b")}, {entry("d")}}, 2)),
            (std::vector<std::string>{"a", "d"}));
  EXPECT_EQ(caseInsensitiveGlob("Q3 re*[x]"), "[qQ]3 [rR][eE]\\*\\[[xX]\\]");
  EXPECT_EQ(caseInsensitiveGlob("Ärger{1,2}"), "[äÄ][rR][gG][eE][rR]\\{1\\,2\\}");
}

// ASCII names leave the case to the library's folding; others keep their letter classes.
TEST(FileIndexItems, NameGlobsFoldASCIINamesInTheLibrary) {
  EXPECT_EQ(nameGlob("Q3 re*[x]"), (NameGlob{"q3 re\\*\\[x\\]", true}));
  EXPECT_EQ(nameGlob("Ärger"), (NameGlob{"[äÄ][rR][gG][eE][rR]", false}));
}

}  // namespace
}  // namespace quillo::core

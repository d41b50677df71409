#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "quillo/core/files/file_folder_access.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;
using Case = FileFolderAccess::AccessError::Case;

using test_support::disk;

// Real bookmarks with access scopes, as a sandboxed system has them: the tests see which
// scopes are left open.
class ScopedBookmarks final : public platform::Bookmarks {
 public:
  std::vector<std::uint8_t> create(const std::string& path) override { return real_.create(path); }
  platform::ResolvedBookmark resolve(const std::vector<std::uint8_t>& bookmark) override {
    return real_.resolve(bookmark);
  }
  bool startAccessing(const std::string& path) override {
    open.insert(path);
    return true;
  }
  void stopAccessing(const std::string& path) override { open.erase(path); }

  std::multiset<std::string> open;

 private:
  platform::posix::PosixBookmarks real_;
};

Case refusal(const std::string& path, const std::string& home) {
  try {
    FileFolderAccess::validateSelection(disk, base::Url::file(path), home);
  } catch (const FileFolderAccess::AccessError& error) {
    return error.which();
  }
  ADD_FAILURE() << path << " was accepted";
  return Case::unavailable;
}

TEST(FileFolderAccess, RefusesTheDiskTheHomeFolderAndFiles) {
  testing::TemporaryFolder tmp;
  const fs::path home = tmp / "home";
  testing::writeFile(home / "notes.txt", "x");
  fs::create_directories(home / "Documents");
  fs::create_directory_symlink(home, tmp / "link-to-home");

  EXPECT_EQ(refusal("/", home.string()), Case::chooseSubfolder);
  EXPECT_EQ(refusal(home.string() + "/", home.string()), Case::chooseSubfolder);
  EXPECT_EQ(refusal((tmp / "link-to-home").string(), home.string()), Case::chooseSubfolder);
  EXPECT_EQ(refusal((home / "Documents" / "..").string(), home.string()), Case::chooseSubfolder);
  EXPECT_EQ(refusal((home / "notes.txt").string(), home.string()), Case::notDirectory);
  EXPECT_EQ(refusal((home / "gone").string(), home.string()), Case::notDirectory);
  EXPECT_NO_THROW(FileFolderAccess::validateSelection(disk, base::Url::file((home / "Documents").string()),
                                                      home.string()));
  EXPECT_STREQ(
      FileFolderAccess::AccessError(Case::chooseSubfolder).what(),
      "Choose individual folders inside your home folder or disk, rather than the entire home folder "
      "or disk.");
}

TEST(FileFolderAccess, AFolderThatCannotBeLookedAtIsAReadErrorNotARefusal) {
  testing::FakeFileSystem files;
  files.folders = {"/data/Reports"};
  files.unreadable = {"/data/Reports"};
  try {
    FileFolderAccess::validateSelection(files, base::Url::file("/data/Reports"), "/home/x");
    FAIL() << "an unreadable folder was accepted";
  } catch (const FileFolderAccess::ReadError& error) {
    EXPECT_NE(std::string(error.what()).find("Permission denied"), std::string::npos) << error.what();
  }
}

TEST(FileFolderAccess, AStaleBookmarkResolvesWithAFreshOne) {
  testing::TemporaryFolder tmp;
  fs::create_directories(tmp / "Reports");
  ScopedBookmarks bookmarks;
  const auto stored = FileFolderAccess::bookmark(bookmarks, base::Url::file((tmp / "Reports").string()));
  {
    const FileFolderAccess fresh(stored, bookmarks, disk, "/nonexistent-home");
    EXPECT_EQ(fresh.url(), base::Url::file((tmp / "Reports").string()));
    EXPECT_EQ(fresh.refreshedBookmark(), std::nullopt);
    EXPECT_TRUE(fresh.hasSecurityScope());
    EXPECT_EQ(bookmarks.open.size(), 1u);
  }
  EXPECT_TRUE(bookmarks.open.empty());

  fs::rename(tmp / "Reports", tmp / "Reports before");
  fs::create_directories(tmp / "Reports");
  const FileFolderAccess stale(stored, bookmarks, disk, "/nonexistent-home");
  ASSERT_TRUE(stale.refreshedBookmark().has_value());
  const FileFolderAccess again(*stale.refreshedBookmark(), bookmarks, disk, "/nonexistent-home");
  EXPECT_EQ(again.refreshedBookmark(), std::nullopt);
}

TEST(FileFolderAccess, AFolderDeletedSinceItWasChosenIsUnavailable) {
  testing::TemporaryFolder tmp;
  fs::create_directories(tmp / "Reports" / "sub");
  ScopedBookmarks bookmarks;
  const auto stored =
      FileFolderAccess::bookmark(bookmarks, base::Url::file((tmp / "Reports" / "sub").string()));
  fs::remove_all(tmp / "Reports");
  try {
    const FileFolderAccess gone(stored, bookmarks, disk, "/nonexistent-home");
    ADD_FAILURE() << "a deleted folder was opened";
  } catch (const FileFolderAccess::AccessError& error) {
    EXPECT_EQ(error.which(), Case::unavailable);
    EXPECT_STREQ(error.what(), "This folder is unavailable or cannot be read. Choose it again or remove it.");
  }
  EXPECT_TRUE(bookmarks.open.empty());
}

// Two processes share the defaults file: each one's folder change keeps what the other did since
// it loaded, as `folders add` and `folders remove` run side by side.
TEST(QuilloPreferences, FolderChangesOfTwoStoresOnOneFileKeepEachOthersFolders) {
  testing::TemporaryFolder tmp;
  for (const char* name : {"A", "B", "C"})
    fs::create_directories(tmp / name);
  const auto url = [&](const char* name) { return base::Url::file((tmp / name).string()); };
  platform::posix::PosixFileSystem files;
  ScopedBookmarks bookmarks;
  FileDefaultsStore firstStore(tmp / "defaults.plist", files);
  FileDefaultsStore secondStore(tmp / "defaults.plist", files);
  QuilloPreferences first(firstStore);
  QuilloPreferences second(secondStore);

  first.authorizeFileSearchFolders({url("A"), url("C")}, std::nullopt, bookmarks, files, "/home/x");
  second.authorizeFileSearchFolders({url("B")}, std::nullopt, bookmarks, files, "/home/x");
  first.setFileSearchPaths({(tmp / "A").string()});

  FileDefaultsStore reread(tmp / "defaults.plist", files);
  const QuilloPreferences stored(reread);
  EXPECT_EQ(stored.fileSearchPaths(), (std::vector<std::string>{(tmp / "A").string(), (tmp / "B").string()}));
  EXPECT_EQ(stored.fileSearchBookmarks().size(), 2u);
}

TEST(QuilloPreferences, AuthorizedFoldersAreBookmarkedAndListed) {
  testing::TemporaryFolder tmp;
  for (const char* name : {"A", "B", "C"})
    fs::create_directories(tmp / name);
  const auto url = [&](const char* name) { return base::Url::file((tmp / name).string()); };
  MemoryDefaultsStore store;
  QuilloPreferences preferences(store);
  ScopedBookmarks bookmarks;

  preferences.authorizeFileSearchFolders({url("A"), url("B"), url("A")}, std::nullopt, bookmarks, disk,
                                         "/home/x");
  EXPECT_EQ(preferences.fileSearchPaths(),
            (std::vector<std::string>{(tmp / "A").string(), (tmp / "B").string()}));
  EXPECT_EQ(preferences.fileSearchBookmarks().size(), 2u);
  EXPECT_TRUE(preferences.fileSearchSetupCompleted());
  EXPECT_TRUE(bookmarks.open.empty());

  preferences.authorizeFileSearchFolders({url("C")}, (tmp / "A").string(), bookmarks, disk, "/home/x");
  EXPECT_EQ(preferences.fileSearchPaths(),
            (std::vector<std::string>{(tmp / "C").string(), (tmp / "B").string()}));
  EXPECT_EQ(preferences.fileSearchBookmarks().count((tmp / "A").string()), 0u);

  // One refusal and nothing changes, not even for the good folder before it.
  testing::writeFile(tmp / "file.txt", "x");
  EXPECT_THROW(preferences.authorizeFileSearchFolders({url("A"), url("file.txt")}, std::nullopt, bookmarks,
                                                      disk, "/x"),
               FileFolderAccess::AccessError);
  EXPECT_EQ(preferences.fileSearchPaths().size(), 2u);
  EXPECT_TRUE(bookmarks.open.empty());

  // A moved folder keeps its place in the list under its new path.
  preferences.refreshFileSearchBookmark((tmp / "C").string(), url("D"), DefaultsValue::Data{{1, 2, 3}});
  EXPECT_EQ(preferences.fileSearchPaths(),
            (std::vector<std::string>{(tmp / "D").string(), (tmp / "B").string()}));
  EXPECT_EQ(preferences.fileSearchBookmarks().at((tmp / "D").string()), (DefaultsValue::Data{{1, 2, 3}}));
  EXPECT_EQ(QuilloPreferences(store).fileSearchPaths(), preferences.fileSearchPaths());
}

}  // namespace
}  // namespace quillo::core

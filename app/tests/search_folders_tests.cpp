#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <latch>

#include "quillo/app/search_folders.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/net/curl_transport.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_folder_picker.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/testing/test_service.h"

namespace quillo::app {
namespace {

namespace fs = std::filesystem;

struct SearchFoldersTest : ::testing::Test {
  testing::TemporaryFolder tmp;
  platform::posix::PosixFileSystem disk;
  platform::posix::PosixBookmarks bookmarks;
  testing::FakeFolderPicker picker;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
  core::MemoryDefaultsStore defaults;
  core::QuilloPreferences preferences{defaults};
  std::shared_ptr<core::BackendClient> client;
  bool filesScope = false;
  int reruns = 0;
  std::function<std::shared_ptr<const core::FffLibrary>()> loadLibrary = [this] {
    return core::FffLibrary::load(disk, {QUILLO_TEST_FFF_LIBRARY});
  };
  std::unique_ptr<SearchFolders> folders;

  void SetUp() override {
    core::FileIndex::Options indexOptions;
    indexOptions.watch = false;
    fs::create_directories(tmp / "home");
    folders = std::make_unique<SearchFolders>(
        SearchFolders::Environment{.preferences = preferences,
                                   .bookmarks = bookmarks,
                                   .files = disk,
                                   .picker = picker,
                                   .pool = pool,
                                   .main = main,
                                   .homeFolder = (tmp / "home").string(),
                                   .loadLibrary = [this] { return loadLibrary(); },
                                   .indexOptions = indexOptions},
        SearchFolders::Hooks{.serviceClient = [this] { return client; },
                             .inFilesScope = [this] { return filesScope; },
                             .rerunQuery = [this] { ++reruns; }});
  }

  std::string folder(const std::string& name) {
    fs::create_directories(tmp / name);
    return (tmp / name).string();
  }

  bool prepared() {
    return main.runUntil([&] { return folders->fileIndex() != nullptr; });
  }
};

TEST_F(SearchFoldersTest, ThePanelOpensOnceAtATimeWithItsTitle) {
  folders->chooseFileFolders();
  folders->chooseFileFolders();
  EXPECT_EQ(picker.shownCount(), 1);
  EXPECT_TRUE(folders->isChoosingFileFolders());
  EXPECT_EQ(picker.lastRequest().title, "Choose Search Folders");
  EXPECT_EQ(picker.lastRequest().startFolder, (tmp / "home").string());
  picker.cancel();
  EXPECT_FALSE(folders->isChoosingFileFolders());

  folders->chooseFileFolders(folder("Reports"));
  EXPECT_EQ(picker.shownCount(), 2);
  EXPECT_EQ(picker.lastRequest().title, "Choose Folder Again");
}

TEST_F(SearchFoldersTest, ThePanelRefusesTheHomeFolder) {
  folders->chooseFileFolders();
  const auto refusal = picker.choose({(tmp / "home").string()});
  ASSERT_TRUE(refusal.has_value());
  EXPECT_TRUE(picker.isShown());
  EXPECT_TRUE(preferences.fileSearchPaths().empty());
}

TEST_F(SearchFoldersTest, ChosenFoldersAreIndexedInTheBackground) {
  filesScope = true;
  const std::string reports = folder("Reports");
  testing::writeFile(tmp / "Reports" / "budget.txt", "x");
  folders->chooseFileFolders();
  ASSERT_EQ(picker.choose({reports}), std::nullopt);

  EXPECT_EQ(preferences.fileSearchPaths(), std::vector<std::string>{reports});
  EXPECT_TRUE(folders->isIndexingFiles());
  EXPECT_EQ(folders->unavailableReason(), "indexing files");
  ASSERT_TRUE(prepared());
  EXPECT_FALSE(folders->isIndexingFiles());
  EXPECT_EQ(folders->unavailableReason(), std::nullopt);
  EXPECT_TRUE(folders->fileFolderFailures().empty());
  EXPECT_EQ(folders->fileIndex()->rootCount(), 1);
  EXPECT_GE(reruns, 1);
}

TEST_F(SearchFoldersTest, AFolderWithoutItsBookmarkIsListedWhileTheOthersAreSearched) {
  const std::string reports = folder("Reports");
  const std::string photos = folder("Photos");
  folders->acceptFileFolders({base::Url::file(reports), base::Url::file(photos)}, std::nullopt);
  ASSERT_TRUE(prepared());
  auto stored = preferences.fileSearchBookmarks();
  stored.erase(photos);
  preferences.setFileSearchBookmarks(stored);

  folders->fileFoldersChanged();
  folders->prepareFiles();
  ASSERT_TRUE(prepared());
  EXPECT_EQ(folders->fileIndex()->rootCount(), 1);
  EXPECT_EQ(folders->fileFolderFailures(),
            (std::map<std::string, std::string>{{photos, "Choose this folder again to restore access."}}));
}

TEST_F(SearchFoldersTest, AStaleBookmarkIsReplacedInThePreferences) {
  const std::string reports = folder("Reports");
  folders->acceptFileFolders({base::Url::file(reports)}, std::nullopt);
  ASSERT_TRUE(prepared());
  const auto before = preferences.fileSearchBookmarks().at(reports);
  fs::rename(reports, tmp / "Reports before");
  folder("Reports");

  folders->fileFoldersChanged();
  folders->prepareFiles();
  ASSERT_TRUE(prepared());
  EXPECT_TRUE(folders->fileFolderFailures().empty());
  EXPECT_NE(preferences.fileSearchBookmarks().at(reports), before);
  EXPECT_FALSE(bookmarks.resolve(preferences.fileSearchBookmarks().at(reports).bytes).isStale);
}

TEST_F(SearchFoldersTest, RemovingTheLastFolderAsksToChooseFoldersAgain) {
  const std::string reports = folder("Reports");
  folders->acceptFileFolders({base::Url::file(reports)}, std::nullopt);
  ASSERT_TRUE(prepared());
  folders->removeFileFolder(reports);
  EXPECT_EQ(folders->fileIndex(), nullptr);
  EXPECT_FALSE(folders->isSetUp());
  EXPECT_EQ(folders->unavailableReason(), "choose search folders");
}

TEST_F(SearchFoldersTest, ANewerPreparationWinsOverAnOlderOneStillRunning) {
  std::latch firstEntered(1);
  std::latch releaseFirst(1);
  std::atomic<int> loads = 0;
  loadLibrary = [&, load = loadLibrary] {
    if (++loads == 1) {
      firstEntered.count_down();
      releaseFirst.wait();
    }
    return load();
  };
  const std::string reports = folder("Reports");
  const std::string photos = folder("Photos");
  folders->acceptFileFolders({base::Url::file(reports)}, std::nullopt);
  firstEntered.wait();
  folders->acceptFileFolders({base::Url::file(photos)}, std::nullopt);
  const bool newerApplied = prepared();
  releaseFirst.count_down();
  pool.waitUntilIdle();
  main.drain();
  ASSERT_TRUE(newerApplied);
  EXPECT_EQ(folders->fileIndex()->rootCount(), 2);
}

TEST_F(SearchFoldersTest, WithFindFilesWithRavoOffFileSearchesStayLocal) {
  testing::TestService service;
  client = std::make_shared<core::BackendClient>(
      service.baseUrl(), service.clientKey(), std::make_shared<core::FixedCredential>(""),
      net::makeCurlTransport({.extraCaFile = service.caFile().string()}));
  preferences.setSearchFilesWithRavo(false);
  folders->acceptFileFolders({base::Url::file(folder("Reports"))}, std::nullopt);
  ASSERT_TRUE(prepared());
  EXPECT_EQ(folders->fileRanker(), nullptr);
  EXPECT_EQ(folders->fileOffReason(), "file names stay on this computer");

  preferences.setSearchFilesWithRavo(true);
  folders->prepareFiles();
  EXPECT_NE(folders->fileRanker(), nullptr);
  EXPECT_EQ(folders->fileOffReason(), "");
}

}  // namespace
}  // namespace quillo::app

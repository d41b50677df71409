// The files scope: the index answers on a worker and the route decides about the service.
#include <chrono>

#include "quillo/core/files/fff_library.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "search_model_fixture.h"

namespace quillo::app::test {
namespace {

constexpr auto kFileTypesPath = "/v1/files/types";
constexpr auto kFilesPath = "/v1/rank/files";

class FileSearchTest : public SearchModelTest {
 protected:
  void SetUp() override {
    SearchModelTest::SetUp();
    testing::writeFile(folder / "Documents/Q3 Sales Report.pdf", "x");
    testing::writeFile(folder / "Documents/holiday.jpg", "x");
    addFiles();
    const std::string documents = (folder / "Documents").string();
    preferences.setFileSearchPaths({documents});
    preferences.setFileSearchSetupCompleted(true);
    auto index = std::make_shared<core::FileIndex>(
        std::vector<base::Url>{base::Url::file(documents)},
        std::vector<std::unique_ptr<core::FileFolderAccess>>{},
        core::FffLibrary::load(disk, {QUILLO_TEST_FFF_LIBRARY}),
        core::FileIndex::Options{.display = {.homeFolder = folder.path().string()}, .files = &disk});
    index->waitForInitialScan({});
    const core::FileRankerOptions rankerOptions{.display = {.homeFolder = folder.path().string()},
                                                .files = &disk};
    model->setFileSearch({.index = index,
                          .ranker = std::make_shared<const core::FileRanker>(client(), index, rankerOptions),
                          .offReason = "",
                          .folderFailures = {},
                          .isIndexing = false});
    model->changeScope(SearchModel::Scope::files);
  }

  // The index reads through `disk` and under `folder`, which go before the base's pool does.
  void TearDown() override {
    model.reset();
    pool.waitUntilIdle();
  }

  bool searching() { return model->busy(); }
  virtual void addFiles() {}

  platform::posix::PosixFileSystem disk;
  testing::TemporaryFolder folder;
};

TEST_F(FileSearchTest, ANamedFileStandsWithoutAskingTheService) {
  model->setQuery("holiday.jpg");
  ASSERT_TRUE(main.runUntil([&] { return !searching(); }));
  EXPECT_EQ(model->fileRoute(), core::FileRoute::exactLocal);
  EXPECT_EQ(titles(model->rows()), std::vector<std::string>{"holiday.jpg"});
  EXPECT_TRUE(std::holds_alternative<ravo::Idle>(model->ravo()));
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(FileSearchTest, AFailedServiceSearchKeepsTheRowsShown) {
  service.answer(kFileTypesPath, {.body = testing::rankingBody({{"document", 0.9}})});
  service.on(kFilesPath, [](const testing::ServiceRequest& request) {
    std::map<std::string, double> probabilities{{"none", 0.1}, {"suitable_for_fff", 0}};
    const auto& files = request.json["files"];
    for (std::size_t k = 0; k < files.size(); ++k)
      if (files[k]["name"] == "Q3 Sales Report.pdf") probabilities["c" + std::to_string(k)] = 0.9;
    return testing::ServiceReply{.body = testing::rankingBody(probabilities)};
  });
  model->setQuery("the sales figures");
  ASSERT_TRUE(main.runUntil([&] { return model->fileRoute() && !searching(); }));
  ASSERT_TRUE(std::holds_alternative<ravo::Answered>(model->ravo()));

  // A longer text shows the last answer while it waits; when asking fails, that stays. The failure
  // comes late enough for the wait to be seen even when the request and its answer are quick.
  service.answer(kFileTypesPath, {.status = 500, .body = "{}", .delay = std::chrono::milliseconds(300)});
  model->setQuery("the sales figures we sent");
  ASSERT_TRUE(main.runUntil([&] { return waiting(); }));
  const auto shown = model->rows();
  ASSERT_TRUE(main.runUntil([&] { return !searching(); }));
  EXPECT_TRUE(std::holds_alternative<ravo::Failed>(model->ravo()));
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(shown.front().probability);
  EXPECT_EQ(model->rows(), shown);
}

// More documents than one request ranks, so the broad search asks in two chunks.
class ManyFilesTest : public FileSearchTest {
 protected:
  void addFiles() override {
    for (int page = 0; page < 130; ++page)
      testing::writeFile(folder / ("Documents/page " + std::to_string(page) + ".pdf"), "x");
    testing::writeFile(folder / "Documents/minutes.pdf", "x");
  }
};

TEST_F(ManyFilesTest, RankedFilesShowAsEachChunkIsAnswered) {
  service.answer(kFileTypesPath, {.body = testing::rankingBody({{"document", 0.9}})});
  // The chunk holding the minutes answers at once, the other one late.
  service.on(kFilesPath, [](const testing::ServiceRequest& request) {
    std::map<std::string, double> probabilities{{"none", 0.1}};
    bool holdsMinutes = false;
    const auto& files = request.json["files"];
    for (std::size_t k = 0; k < files.size(); ++k) {
      if (files[k]["name"] != "minutes.pdf") continue;
      probabilities["c" + std::to_string(k)] = 0.9;
      holdsMinutes = true;
    }
    return testing::ServiceReply{
        .body = testing::rankingBody(probabilities),
        .delay = holdsMinutes ? std::chrono::milliseconds(0) : std::chrono::milliseconds(1500)};
  });
  model->setQuery("what we decided in the meeting");
  ASSERT_TRUE(main.runUntil([&] {
    return waiting() && !model->rows().empty() && model->rows().front().command.title == "minutes.pdf";
  }));
  ASSERT_TRUE(main.runUntil([&] { return !searching(); }));
  EXPECT_EQ(service.requests(kFilesPath).size(), 2u);
  EXPECT_TRUE(std::holds_alternative<ravo::Answered>(model->ravo()));
  EXPECT_EQ(model->rows().front().command.title, "minutes.pdf");
}

TEST_F(FileSearchTest, AFolderThatCannotBeSearchedIsReportedWhenNothingIsListed) {
  auto state = model->fileSearch();
  state.folderFailures["/gone"] = "Choose this folder again to restore access.";
  model->setFileSearch(state);
  model->setQuery("zqxj");
  ASSERT_TRUE(main.runUntil([&] { return model->fileRoute().has_value() && !searching(); }));
  EXPECT_EQ(model->launcherFeedback(), LauncherFeedback::fileAccess);
}

TEST_F(FileSearchTest, WhileTheFoldersAreIndexedTheStateSaysSo) {
  model->setFileSearch(
      {.index = nullptr, .ranker = nullptr, .offReason = "", .folderFailures = {}, .isIndexing = true});
  EXPECT_EQ(std::get<ravo::Off>(model->ravo()).reason, "indexing files");
  EXPECT_EQ(model->launcherFeedback(), std::nullopt);
}

}  // namespace
}  // namespace quillo::app::test

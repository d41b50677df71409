#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "quillo/core/files/file_ranker.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "service_fixture.h"
#include "test_disk.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using test_support::disk;

namespace fs = std::filesystem;
using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;

using quillo::testing::kFilesPath;
using quillo::testing::kFileTypesPath;

using test_support::library;

FileEntry file(const std::string& name, FileEntry::Kind kind = FileEntry::Kind::file) {
  return {kind, base::Url::file("/docs/" + name), 3, base::Date{1e9}};
}

using test_support::titles;

// Answers each chunk with the probability the table gives the candidate's name.
ServiceReply byName(const ServiceRequest& request, const std::map<std::string, double>& table) {
  std::map<std::string, double> probabilities{{"none", 0.1}};
  const auto& files = request.json["files"];
  for (std::size_t k = 0; k < files.size(); ++k) {
    const auto found = table.find(files[k]["name"].get<std::string>());
    if (found != table.end()) probabilities["c" + std::to_string(k)] = found->second;
  }
  return {.body = quillo::testing::rankingBody(probabilities, 5)};
}

class FileRankerTest : public ::testing::Test {
 protected:
  std::shared_ptr<FileIndex> index() {
    auto made = std::make_shared<FileIndex>(std::vector<base::Url>{base::Url::file(tmp.path().string())},
                                            std::vector<std::unique_ptr<FileFolderAccess>>{}, library(),
                                            FileIndex::Options{.display = {}, .files = &disk});
    made->waitForInitialScan({});
    return made;
  }

  FileRanker ranker() { return FileRanker(fixture.client(), index(), {.display = {}, .files = &disk}); }

  ::quillo::testing::TemporaryFolder tmp;
  test_support::ServiceFixture fixture;
};

TEST(FileRankerRules, ChunksAndTheHitRule) {
  std::vector<FileEntry> many(500, file("a.pdf"));
  EXPECT_EQ(FileRanker::groups(many, 125).size(), 4u);
  many.resize(126, file("a.pdf"));
  const auto two = FileRanker::groups(many, 125);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].size(), 1u);

  const std::vector<FileEntry> entries = {file("a.pdf"), file("b.pdf"), file("C", FileEntry::Kind::folder)};
  const auto hits = FileRanker::hits({{"c0", 0.5}, {"c1", 0.49}, {"c2", 0.9}}, entries, std::nullopt, {});
  EXPECT_EQ(titles(hits), (std::vector<std::string>{"a.pdf", "C"}));
  // The service took the first file for a folder: skipped however probable.
  const auto kinds = std::map<std::string, FileEntry::Kind>{{"c0", FileEntry::Kind::folder},
                                                            {"c2", FileEntry::Kind::folder}};
  EXPECT_EQ(titles(FileRanker::hits({{"c0", 0.9}, {"c2", 0.9}}, entries, kinds, {})),
            std::vector<std::string>{"C"});
}

TEST_F(FileRankerTest, RanksDescribedFilesInParallelChunksWithUpdates) {
  for (int k = 0; k < 520; ++k)
    ::quillo::testing::writeFile(tmp / ("notes " + std::to_string(k) + ".txt"), "x");
  // Only the newest 500 are candidates: make the ranked ones newest whatever the writes' timing.
  for (const char* name : {"notes 1.txt", "notes 12.txt", "notes 100.txt"})
    std::filesystem::last_write_time(tmp / name,
                                     std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
  ::quillo::testing::writeFile(tmp / "photo.png", "x");
  fixture.service.answer(
      kFileTypesPath,
      {.body = quillo::testing::rankingBody({{"document", 0.5}, {"image", 0.4}, {"none", 0.2}})});
  fixture.service.on(kFilesPath, [](const ServiceRequest& request) {
    return byName(request, {{"notes 1.txt", 0.7}, {"notes 100.txt", 0.95}, {"notes 12.txt", 0.5}});
  });

  std::vector<std::size_t> updates;
  const SemanticResult result = ranker().rank(
      "my notes", [&](const SemanticResult& partial) { updates.push_back(partial.hits.size()); });
  const auto requests = fixture.service.requests(kFilesPath);
  ASSERT_EQ(requests.size(), 4u);  // 500 candidates at most, 125 a request
  for (const auto& request : requests) {
    EXPECT_EQ(request.json["files"].size(), 125u);
    EXPECT_FALSE(request.json["classifyIntent"].get<bool>());
    EXPECT_FALSE(request.json.contains("rankingMode"));
  }
  EXPECT_EQ(updates.size(), 4u);
  EXPECT_TRUE(std::is_sorted(updates.begin(), updates.end()));
  EXPECT_EQ(titles(result.hits), (std::vector<std::string>{"notes 100.txt", "notes 1.txt", "notes 12.txt"}));
  EXPECT_DOUBLE_EQ(result.noneProbability, 0.2);
  EXPECT_EQ(result.inputTokens, 10 + 4 * 5);
  EXPECT_TRUE(fixture.service.refusals().empty());
}

TEST_F(FileRankerTest, FoldersFirstThenFilesOfTheChosenTypes) {
  ::quillo::testing::writeFile(tmp / "Taxes 2025/return.pdf", "x");
  ::quillo::testing::writeFile(tmp / "Taxes 2026/draft.docx", "x");
  ::quillo::testing::writeFile(tmp / "song.mp3", "x");
  fixture.service.answer(kFileTypesPath,
                         {.body = quillo::testing::rankingBody({{"document", 0.8}, {"folder", 0.6}})});
  fixture.service.on(kFilesPath, [](const ServiceRequest& request) { return byName(request, {}); });
  ranker().rank("taxes", {});
  const auto requests = fixture.service.requests(kFilesPath);
  ASSERT_EQ(requests.size(), 1u);
  std::vector<std::string> sent;
  for (const auto& record : requests[0].json["files"])
    sent.push_back(record["name"].get<std::string>());
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 2),
            (std::vector<std::string>{"Taxes 2025", "Taxes 2026"}));
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "song.mp3"), 0);
}

TEST_F(FileRankerTest, AnInterpretationThatNeedsNoRankingSendsNothing) {
  ::quillo::testing::writeFile(tmp / "a.xlsx", "x");
  ::quillo::testing::writeFile(tmp / "b.csv", "x");
  ::quillo::testing::writeFile(tmp / "c.pdf", "x");
  const nlohmann::json body = {
      {"probabilities", {{"none", 0.3}}},
      {"usage", {{"input_tokens", 4}, {"output_tokens", 1}}},
      {"interpretation",
       {{"restriction", "category"},
        {"extensions", {"xlsx", "csv"}},
        {"includeFolders", false},
        {"requiresRanking", false},
        {"rankingMode", "standard"},
        {"groups", {{{"kind", "file"}, {"extensions", {"xlsx", "csv"}}, {"weight", 1.0}}}}}}};
  fixture.service.answer(kFileTypesPath, {.body = body.dump()});
  const SemanticResult result = ranker().rank("all spreadsheets", {});
  EXPECT_TRUE(fixture.service.requests(kFilesPath).empty());
  auto found = titles(result.hits);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"a.xlsx", "b.csv"}));
  for (const SemanticHit& hit : result.hits)
    EXPECT_EQ(hit.probability, 1.0);
}

TEST_F(FileRankerTest, OneFailingChunkFailsTheRanking) {
  for (int k = 0; k < 200; ++k)
    ::quillo::testing::writeFile(tmp / ("n" + std::to_string(k) + ".md"), "x");
  fixture.service.answer(kFileTypesPath, {.body = quillo::testing::rankingBody({{"document", 0.9}})});
  fixture.service.on(kFilesPath, [](const ServiceRequest& request) {
    if (request.json["files"].size() < 125) return ServiceReply{.status = 500, .body = "<html>oops</html>"};
    return byName(request, {});
  });
  EXPECT_THROW(ranker().rank("notes", {}), BackendError);
}

TEST_F(FileRankerTest, AShortlistIsAcceptedOnlyForAFileSearch) {
  ::quillo::testing::writeFile(tmp / "Q3 Report.pdf", "12345");
  const auto index = this->index();
  const std::vector<Command> shortlist = {index->filenameHits("q3 report", 5).at(0).command};
  const FileRanker ranker(fixture.client(), index);

  fixture.service.on(kFilesPath, [](const ServiceRequest& request) {
    EXPECT_TRUE(request.json["classifyIntent"].get<bool>());
    EXPECT_EQ(request.json["files"][0]["name"], "Q3 Report.pdf");
    return ServiceReply{.body = quillo::testing::rankingBody({{"c0", 0.9}})};
  });
  std::ostringstream log;
  EXPECT_TRUE(ranker.rankShortlist("q3 report", shortlist, {}, &log).hits.empty());
  EXPECT_EQ(log.str(),
            "[quillo-file-route] shortlist candidates=1 suitable_for_fff=disabled accepted=0 "
            "next=broad-search\n");

  fixture.service.answer(kFilesPath,
                         {.body = quillo::testing::rankingBody({{"c0", 0.9}, {"suitable_for_fff", 1}})});
  log.str("");
  EXPECT_EQ(titles(ranker.rankShortlist("q3 report", shortlist, {}, &log).hits),
            std::vector<std::string>{"Q3 Report.pdf"});
  EXPECT_EQ(log.str(),
            "[quillo-file-route] shortlist candidates=1 suitable_for_fff=1.0 accepted=1 "
            "next=show-shortlist\n");
}

}  // namespace
}  // namespace quillo::core

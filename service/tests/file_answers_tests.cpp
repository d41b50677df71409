#include <gtest/gtest.h>

#include "running_service.h"

namespace quillo::service {
namespace {

using core::FileEntry;
using core::FileSearchInterpretation;
using testing::RunningService;

FileEntry file(const std::string& path, FileEntry::Kind kind = FileEntry::Kind::file) {
  FileEntry entry;
  entry.kind = kind;
  entry.url = base::Url::file(path);
  return entry;
}

TEST(FileTypes, NamedExtensionWithATimeNeedsNoRanking) {
  const RunningService service;
  const core::BackendAnswer answer = service.client()->fileTypes("pdfs from last week");
  ASSERT_TRUE(answer.interpretation.has_value());
  EXPECT_EQ(answer.interpretation->restriction, FileSearchInterpretation::Restriction::specific);
  EXPECT_EQ(answer.interpretation->extensions, std::vector<std::string>{"pdf"});
  EXPECT_FALSE(answer.interpretation->requiresRanking);
  EXPECT_GE(answer.probabilities.at("document"), 0.5);
}

TEST(FileTypes, KindOfFileWithWordsToFindIsACategoryToRank) {
  const RunningService service;
  const core::BackendAnswer answer = service.client()->fileTypes("photos of the beach");
  ASSERT_TRUE(answer.interpretation.has_value());
  EXPECT_EQ(answer.interpretation->restriction, FileSearchInterpretation::Restriction::category);
  EXPECT_TRUE(answer.interpretation->requiresRanking);
  ASSERT_TRUE(answer.interpretation->groups.has_value());
  EXPECT_EQ(answer.interpretation->groups->size(), 1u);
  EXPECT_GE(answer.probabilities.at("image"), 0.5);
  EXPECT_LT(answer.probabilities.at("document"), 0.5);
}

TEST(FileTypes, SpreadsheetEditedYesterdayIsTheMostRecentSpreadsheet) {
  const RunningService service;
  const core::BackendAnswer answer = service.client()->fileTypes("the spreadsheet i edited yesterday");
  ASSERT_TRUE(answer.interpretation.has_value());
  EXPECT_EQ(answer.interpretation->restriction, FileSearchInterpretation::Restriction::category);
  EXPECT_FALSE(answer.interpretation->requiresRanking);
  EXPECT_GE(answer.probabilities.at("spreadsheet"), 0.5);
}

TEST(FileTypes, NothingNamedIsAnUncertainSearchWithFolders) {
  const RunningService service;
  const core::BackendAnswer answer = service.client()->fileTypes("tax return 2023");
  ASSERT_TRUE(answer.interpretation.has_value());
  EXPECT_EQ(answer.interpretation->restriction, FileSearchInterpretation::Restriction::uncertain);
  EXPECT_TRUE(answer.interpretation->includeFolders);
  EXPECT_TRUE(answer.interpretation->requiresRanking);
}

TEST(FileRanking, NameWordsAndKindDecide) {
  const RunningService service;
  const std::vector<FileEntry> files = {file("/home/user/Documents/beach notes.pdf"),
                                        file("/home/user/Pictures/Beach sunset.jpg"),
                                        file("/home/user/Pictures/mountain.jpg")};
  const core::BackendAnswer answer = service.client()->files("photos of the beach", files, false,
                                                             FileSearchInterpretation::RankingMode::standard);
  EXPECT_GE(answer.probabilities.at("c1"), 0.5);
  EXPECT_LT(answer.probabilities.at("c0"), 0.5);
  EXPECT_LT(answer.probabilities.at("c2"), 0.5);
  ASSERT_TRUE(answer.candidateKinds.has_value());
  EXPECT_EQ(answer.candidateKinds->at("c1"), FileEntry::Kind::file);
}

TEST(FileRanking, ShortlistOfNamesIsSuitableForNameSearch) {
  const RunningService service;
  const std::vector<FileEntry> files = {file("/home/user/Documents/Q3 Sales Report.pdf")};
  const core::BackendAnswer named = service.client()->files("q3 sales report", files, true,
                                                            FileSearchInterpretation::RankingMode::standard);
  EXPECT_GE(named.probabilities.at("suitable_for_fff"), 0.5);
  EXPECT_GE(named.probabilities.at("c0"), 0.5);
  const core::BackendAnswer described = service.client()->files(
      "pdfs from last week", files, true, FileSearchInterpretation::RankingMode::standard);
  EXPECT_LT(described.probabilities.at("suitable_for_fff"), 0.5);
}

TEST(FileRanking, CompactAnswerCarriesOnlyTheHits) {
  const RunningService service;
  const std::vector<FileEntry> files = {file("/home/user/tax return 2023.pdf"),
                                        file("/home/user/holiday.jpg")};
  const core::BackendAnswer answer =
      service.client()->files("tax return", files, false, FileSearchInterpretation::RankingMode::compact);
  EXPECT_TRUE(answer.probabilities.contains("c0"));
  EXPECT_FALSE(answer.probabilities.contains("c1"));
}

}  // namespace
}  // namespace quillo::service

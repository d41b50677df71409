#include <gtest/gtest.h>

#include "quillo/core/files/file_command.h"
#include "quillo/core/files/file_route.h"

namespace quillo::core {
namespace {

LocalHit hit(const std::string& name, int score = 850) {
  return {fileCommand({FileEntry::Kind::file, base::Url::file("/docs/" + name), 1, base::Date{0}}, {}),
          score};
}

FileRouteInput input(std::vector<LocalHit> names, bool canRank = true) {
  return {.folderHits = {},
          .nameHits = std::move(names),
          .canRank = canRank,
          .canValidateShortlist = canRank,
          .validateShortlists = true};
}

TEST(FileRoute, EachRouteAndItsLogLine) {
  const auto exact =
      decideFileRoute("q3 sales report", input({hit("Q3 Sales Report.pdf"), hit("Other.pdf")}));
  EXPECT_EQ(exact.route, FileRoute::exactLocal);
  EXPECT_EQ(exact.logLine(), "[quillo-file-route] route=exact-local matches=2");

  const auto offline = decideFileRoute("q3 report", input({hit("Q3 Sales Report.pdf")}, false));
  EXPECT_EQ(offline.route, FileRoute::localOnly);

  const auto shortlist =
      decideFileRoute("q3 report", input({hit("Q3 Sales Report.pdf"), hit("Budget.xlsx")}));
  EXPECT_EQ(shortlist.route, FileRoute::validateShortlist);
  ASSERT_EQ(shortlist.shortlist.size(), 1u);
  EXPECT_EQ(shortlist.shortlist[0].title, "Q3 Sales Report.pdf");
  EXPECT_EQ(shortlist.logLine(), "[quillo-file-route] route=validate-shortlist strong=1");

  const auto broad = decideFileRoute("photos from the beach", input({hit("Budget.xlsx")}));
  EXPECT_EQ(broad.route, FileRoute::broadSearch);
  EXPECT_EQ(broad.logLine(), "[quillo-file-route] route=broad-search strong=0");

  auto withoutValidation = input({hit("Q3 Sales Report.pdf")});
  withoutValidation.validateShortlists = false;
  EXPECT_EQ(decideFileRoute("q3 report", withoutValidation).route, FileRoute::strongLocal);

  auto folderNamed = input({hit("Budget.xlsx")});
  folderNamed.folderHits = {hit("Budget.xlsx", 900), hit("Tax Returns", 880)};
  const auto folder = decideFileRoute("tax", folderNamed);
  EXPECT_EQ(folder.route, FileRoute::strongLocal);
  EXPECT_EQ(folder.hits.size(), 2u);  // the repeated command appears once
}

TEST(FileRoute, TheShortlistHoldsTheFirstTwelveStrongRows) {
  std::vector<LocalHit> hits;
  for (int k = 0; k < 20; ++k)
    hits.push_back(hit("report " + std::to_string(k) + ".pdf"));
  const auto decision = decideFileRoute("rep", input(hits));
  EXPECT_EQ(decision.route, FileRoute::validateShortlist);
  EXPECT_EQ(decision.strongCount, 20u);
  ASSERT_EQ(decision.shortlist.size(), 12u);
  EXPECT_EQ(decision.shortlist[11].title, "report 11.pdf");
}

TEST(FileRoute, LoggingFollowsTheLogLevel) {
  EXPECT_TRUE(fileRouteLogging(" DEBUG \n"));
  EXPECT_TRUE(fileRouteLogging("debug"));
  EXPECT_FALSE(fileRouteLogging("info"));
  EXPECT_FALSE(fileRouteLogging(std::nullopt));
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_runner.h"

namespace {

namespace fs = std::filesystem;
using quillo::cli::testing::CliRun;
using QuilloCli = quillo::cli::testing::CliFixture;

std::vector<nlohmann::json> jsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(nlohmann::json::parse(line));
  return lines;
}

TEST_F(QuilloCli, FilterPrintsHitsBestFirstAsTextOrJsonLines) {
  const CliRun result = run("filter lock", "Set Lock\nblock\nLock Screen\nLock\nnothing\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "Lock\nLock Screen\nSet Lock\nblock\n");
  EXPECT_EQ(result.errors, "");

  const CliRun json = run("filter --json --limit 2 lock", "Set Lock\r\nLock Screen\r\nLock\r\nca\xFF lock\n");
  ASSERT_EQ(json.status, 0);
  const auto lines = jsonLines(json.output);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (nlohmann::json{{"title", "Lock"}, {"score", 1000}, {"line", 3}}));
  EXPECT_EQ(lines[1], (nlohmann::json{{"title", "Lock Screen"}, {"score", 899}, {"line", 2}}));
  const auto all = jsonLines(run("filter --json lock", "ca\xFF lock\n").output);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0]["title"], "ca\uFFFD lock");
}

TEST_F(QuilloCli, SearchJsonHasEveryDocumentedField) {
  quillo::testing::TemporaryFolder apps;
  fs::create_directories(apps / "Terminal.app");
  const auto json =
      this->json("search --json --platform macos --applications " + apps.path().string() + " term");
  EXPECT_EQ(json["query"], "term");
  EXPECT_EQ(json["scope"], "commands");
  ASSERT_FALSE(json["rows"].empty());
  const std::string id = "app." + (apps / "Terminal.app").string();
  EXPECT_EQ(json["rows"][0], (nlohmann::json{{"id", id},
                                             {"rowId", id},
                                             {"title", "Terminal"},
                                             {"kind", "Application"},
                                             {"detail", ""},
                                             {"hint", "Command line shell"},
                                             {"score", 900 + 4 - 4},
                                             {"probability", nullptr},
                                             {"url", nullptr},
                                             {"action", nullptr},
                                             {"fileDetail", nullptr}}));
}

TEST_F(QuilloCli, SearchFindsWebRowsActionsAndSettings) {
  // A bang leads with its web row.
  const auto rows = json("search --json --platform macos --applications /nonexistent lock '!w'")["rows"];
  ASSERT_GE(rows.size(), 1u);
  EXPECT_EQ(rows[0]["id"], "web.wikipedia");
  EXPECT_EQ(rows[0]["kind"], "Web Search");
  EXPECT_EQ(rows[0]["title"], "Search Wikipedia");
  EXPECT_EQ(rows[0]["url"], "https://en.wikipedia.org/w/index.php?search=lock");
  EXPECT_TRUE(rows[0]["score"].is_null());
  EXPECT_TRUE(rows[0]["probability"].is_null());

  EXPECT_EQ(json("search --json --platform macos --applications /nonexistent wifi")["rows"][0]["url"],
            "x-apple.systempreferences:com.apple.wifi-settings-extension");
  EXPECT_EQ(json("search --json --platform macos --applications /nonexistent s")["rows"].size(),
            8u);  // the default limit
  const CliRun lock = run("search --platform macos --applications /nonexistent lock screen");
  EXPECT_EQ(lock.output.substr(0, lock.output.find('\n')), " 1000  Lock Screen  (Action)");
}

TEST_F(QuilloCli, UsageErrorsExitTwoWithOneLineAndHelpExitsZero) {
  for (const std::string arguments :
       {"", "frobnicate", "filter", "filter --limit 0 x", "search --bogus x", "filter --applications /a x"}) {
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_FALSE(result.errors.empty()) << arguments;
    if (!arguments.empty()) {
      EXPECT_EQ(result.errors.find('\n'), result.errors.size() - 1) << arguments;
    }
    EXPECT_EQ(result.output, "") << arguments;
  }
  for (const std::string arguments : {"--help", "filter --help", "search --help"}) {
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments;
    EXPECT_NE(result.output.find("usage: quillo-cli"), std::string::npos) << arguments;
  }
}

}  // namespace

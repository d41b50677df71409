#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace {

using quillo::cli::testing::CliRun;

class PreferencesCli : public quillo::cli::testing::CliFixture {
 protected:
  std::filesystem::path file() const { return config_ / "quillo" / "defaults.plist"; }
};

TEST_F(PreferencesCli, SetGetListDelete) {
  EXPECT_EQ(json("prefs list"), nlohmann::json::object());
  EXPECT_EQ(run("prefs set learnFromUsage false").status, 0);
  EXPECT_EQ(run("prefs set clipboard.megabytes 512").status, 0);
  EXPECT_EQ(
      run(R"(prefs set myKey '{"when": {"date": "2026-12-05T14:30:00.250Z"}, "raw": {"data": "AAH/"}}')")
          .status,
      0);
  EXPECT_EQ(json("prefs get learnFromUsage"), false);
  EXPECT_EQ(json("prefs get myKey"),
            (nlohmann::json{{"raw", {{"data", "AAH/"}}}, {"when", {{"date", "2026-12-05T14:30:00.250Z"}}}}));
  EXPECT_EQ(json("prefs list").size(), 3u);
  EXPECT_EQ(run("prefs delete myKey").status, 0);
  EXPECT_EQ(run("prefs delete myKey").status, 0);  // already gone is fine
  const CliRun missing = run("prefs get myKey");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.errors.find("no value is stored under myKey"), std::string::npos);
}

TEST_F(PreferencesCli, AKnownKeyRefusesAnotherKindAndChangesNothing) {
  ASSERT_EQ(run("prefs set learnFromUsage true").status, 0);
  const std::string before = quillo::cli::testing::slurp(file());
  const CliRun refused = run(R"(prefs set learnFromUsage '"no"')");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.errors,
            "quillo-cli prefs: learnFromUsage holds a boolean, not a string; nothing was changed\n");
  EXPECT_EQ(run("prefs set usage '{\"a\": \"b\"}'").status, 2);
  EXPECT_EQ(run("prefs set learnFromUsage notjson").status, 2);
  EXPECT_EQ(run("prefs set x '{\"date\": \"yesterday\"}'").status, 2);
  EXPECT_EQ(quillo::cli::testing::slurp(file()), before);
}

TEST_F(PreferencesCli, UsageCountsLiftSearchResultsWhileLearningIsOn) {
  // The commands in the order they first appear (the first action also lists its preset values).
  const auto firstThree = [&] {
    std::vector<std::string> ids;
    const nlohmann::json rows = json("search --json --applications /nonexistent vol")["rows"];
    for (const auto& row : rows) {
      const std::string id = row["id"];
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    ids.resize(std::min<std::size_t>(ids.size(), 3));
    return ids;
  };
  const std::vector<std::string> byTitle{"action.Set Volume", "action.Set Alert Volume",
                                         "action.Set Input Volume"};
  // "Set Input Volume" and "Set Alert Volume" tie on "vol"; their titles order them.
  EXPECT_EQ(firstThree(), byTitle);
  ASSERT_EQ(run("usage record 'action.Set Input Volume'").status, 0);
  EXPECT_EQ(json("prefs get usage"), (nlohmann::json{{"action.Set Input Volume", 1}}));
  const std::vector<std::string> lifted{"action.Set Volume", "action.Set Input Volume",
                                        "action.Set Alert Volume"};
  EXPECT_EQ(firstThree(), lifted);

  ASSERT_EQ(run("prefs set learnFromUsage false").status, 0);
  EXPECT_EQ(firstThree(), byTitle);
  const CliRun ignored = run("usage record 'action.Set Input Volume'");
  EXPECT_EQ(ignored.status, 0);
  EXPECT_NE(ignored.errors.find("Not counted"), std::string::npos);
  EXPECT_EQ(json("prefs get usage"), (nlohmann::json{{"action.Set Input Volume", 1}}));

  ASSERT_EQ(run("usage clear").status, 0);
  EXPECT_EQ(run("prefs get usage").status, 1);
}

TEST_F(PreferencesCli, RetiredIdsAreCountedUnderTheirNewIds) {
  ASSERT_EQ(run(R"(prefs set usage '{"action.Keep Awake for 1 Hour": 3, "action.Keep Awake": 2}')").status,
            0);
  ASSERT_EQ(run("usage record action.Sleep").status, 0);
  EXPECT_EQ(json("prefs get usage"), (nlohmann::json{{"action.Keep Awake", 5}, {"action.Sleep", 1}}));
}

TEST_F(PreferencesCli, BadCommandLinesExitTwoAndHelpZero) {
  for (const std::string arguments :
       {"prefs", "prefs frob", "prefs get", "prefs set a", "usage", "usage record", "usage clear now"})
    EXPECT_EQ(run(arguments).status, 2) << arguments;
  for (const std::string arguments : {"prefs --help", "usage --help"})
    EXPECT_EQ(run(arguments).status, 0) << arguments;
}

}  // namespace

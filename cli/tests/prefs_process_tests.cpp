#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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
    const nlohmann::json rows =
        json("search --json --platform macos --applications /nonexistent vol")["rows"];
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

TEST_F(PreferencesCli, ConcurrentUsageRecordsAreAllCounted) {
  // The issue's case: twenty processes counting at once.
  const std::string command =
      fmt::format("for i in $(seq 20); do XDG_CONFIG_HOME={} {} usage record action.Sleep & done; wait",
                  config_.path().string(), QUILLO_CLI_PATH);
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(json("prefs get usage"), (nlohmann::json{{"action.Sleep", 20}}));
}

TEST_F(PreferencesCli, ConcurrentSetsOfDifferentKeysAllSurvive) {
  const std::string command =
      fmt::format("for i in $(seq 10); do XDG_CONFIG_HOME={} {} prefs set key.$i $i & done; wait",
                  config_.path().string(), QUILLO_CLI_PATH);
  ASSERT_EQ(std::system(command.c_str()), 0);
  const nlohmann::json all = json("prefs list");
  for (int key = 1; key <= 10; ++key)
    EXPECT_EQ(all.value("key." + std::to_string(key), nlohmann::json()), key) << all.dump();
}

TEST_F(PreferencesCli, AnUnreadableFileIsAnErrorAndNothingIsWritten) {
  // A folder where the file should be cannot be read, even by root.
  std::filesystem::create_directories(file());
  const CliRun refused = run("prefs set learnFromUsage false");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.errors.find("cannot read its preferences"), std::string::npos) << refused.errors;
  EXPECT_TRUE(std::filesystem::is_directory(file()));
  EXPECT_EQ(run("usage record action.Sleep").status, 1);
}

TEST_F(PreferencesCli, TextHoldingANulIsAUsageErrorThatStoresNothing) {
  const CliRun refused = run(R"(prefs set custom.key '"before\u0000after"')");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.errors.find("not valid text"), std::string::npos) << refused.errors;
  EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(PreferencesCli, AKeyThatIsNotValidUtf8IsAUsageError) {
  EXPECT_EQ(run("prefs set 'caf\xE9' true").status, 2);
  EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(PreferencesCli, BadCommandLinesExitTwoAndHelpZero) {
  for (const std::string arguments :
       {"prefs", "prefs frob", "prefs get", "prefs set a", "usage", "usage record", "usage clear now"})
    EXPECT_EQ(run(arguments).status, 2) << arguments;
  for (const std::string arguments : {"prefs --help", "usage --help"})
    EXPECT_EQ(run(arguments).status, 0) << arguments;
}

}  // namespace

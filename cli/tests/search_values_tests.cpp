#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace {

using quillo::cli::testing::CliRun;

const std::string kZurichAtThree =
    "--applications /nonexistent --now 2026-12-05T15:00:00+01:00 --time-zone Europe/Zurich --locale en_US ";

class SearchValues : public quillo::cli::testing::CliFixture {
 protected:
  nlohmann::json search(const std::string& arguments) {
    return json("search --json --platform macos " + kZurichAtThree + arguments);
  }
};

TEST_F(SearchValues, KeepAwakeUntilOffersBothReadingsWithTheirProcessCalls) {
  const auto json = search("'keep awake until 4:30'");
  EXPECT_EQ(json["parsed"],
            (nlohmann::json{{"values", {{{"clockTime", {{"hour", 4}, {"minute", 30}, {"period", nullptr}}}}}},
                            {"remainder", "keep awake"}}));
  const auto& rows = json["rows"];
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0]["id"], "action.Keep Awake");
  EXPECT_EQ(rows[1]["id"], "action.Keep Awake");
  EXPECT_EQ(rows[0]["rowId"], "action.Keep Awake#until.1796484600");
  EXPECT_EQ(rows[1]["rowId"], "action.Keep Awake#until.1796527800");
  EXPECT_EQ(rows[0]["detail"], "Until 4:30\u202FPM · 1 hour, 30 minutes");
  EXPECT_EQ(rows[1]["action"]["detail"], "Until 4:30\u202FAM tomorrow · 13 hours, 30 minutes");
  EXPECT_EQ(rows[0]["action"]["canRun"], true);
  EXPECT_EQ(rows[0]["action"]["processCall"], (nlohmann::json{{"executable", "/usr/bin/caffeinate"},
                                                              {"arguments", {"-d", "-i", "-t", "5400"}}}));
  EXPECT_EQ(rows[1]["action"]["processCall"]["arguments"], (nlohmann::json{"-d", "-i", "-t", "48600"}));
}

TEST_F(SearchValues, VolumeChoicesAndRefusals) {
  const auto rows = search("'volume 20%'")["rows"];
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0]["title"], "Set Volume");
  EXPECT_EQ(rows[0]["action"]["invocation"],
            (nlohmann::json{{"setVolume", {{"channel", "output"}, {"percent", 20}}}}));
  EXPECT_EQ(rows[0]["action"]["processCall"]["arguments"][1],
            "set volume output volume 20 without output muted");

  const auto refused = search("'volume 150%'")["rows"][0];
  EXPECT_EQ(refused["action"]["canRun"], false);
  EXPECT_EQ(refused["action"]["invocation"], nullptr);
  EXPECT_EQ(refused["action"]["processCall"], nullptr);
  EXPECT_EQ(refused["detail"], "The volume goes from 0% to 100%");
}

TEST_F(SearchValues, PlainOutputShowsTheResolvedDetail) {
  const CliRun result = run("search --platform macos " + kZurichAtThree + "'screenshot window in 5 seconds'");
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_NE(result.output.find("Screenshot Window to Clipboard  (Action)  In 5 seconds"), std::string::npos)
      << result.output;
}

TEST_F(SearchValues, ClockOptionsAreChecked) {
  EXPECT_EQ(run("search --now yesterday lock").status, 2);
  EXPECT_EQ(run("search --now 2026-12-05T15:00:00 lock").status, 2);  // no zone
  const CliRun zone = run("search --time-zone Mars/Olympus lock");
  EXPECT_EQ(zone.status, 2);
  EXPECT_NE(zone.errors.find("unknown time zone"), std::string::npos);
  const CliRun locale = run("search --locale '@@@' lock");
  EXPECT_EQ(locale.status, 2);
  EXPECT_NE(locale.errors.find("unknown locale '@@@'"), std::string::npos) << locale.errors;
  EXPECT_EQ(run("search --locale 'en_US@hours=h23' lock").status, 0);
}

}  // namespace

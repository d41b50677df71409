#include <filesystem>

#include "cli_runner.h"

namespace quillo::cli::testing {
namespace {

namespace fs = std::filesystem;
using QuilloCliRun = CliFixture;

const std::string kAt = "--now 2026-12-05T15:00:00Z ";
constexpr double kAtSeconds = 1'796'482'800;

TEST_F(QuilloCliRun, DryRunPrintsWhatTheFirstRowWouldRunWithEveryField) {
  const auto plan = json("run --dry-run " + kAt + "'keep awake for 35 minutes'");
  EXPECT_EQ(
      plan,
      (nlohmann::json{
          {"id", "action.Keep Awake#for.2100"},
          {"title", "Keep Awake"},
          {"does", "keepAwake"},
          {"processCall", {{"executable", "/usr/bin/caffeinate"}, {"arguments", {"-d", "-i", "-t", "2100"}}}},
          {"target", nullptr},
          {"keepAwake", {{"scope", "macAndDisplay"}, {"until", kAtSeconds + 2100}}},
          {"appleEvent", nullptr},
          {"reason", nullptr}}));
}

TEST_F(QuilloCliRun, RowsCountFromOneInTheOrderSearchShows) {
  const auto second = json("run --dry-run --row 2 " + kAt + "'keep awake for 35 minutes'");
  const auto shown = json("search --json " + kAt + "'keep awake for 35 minutes'");
  EXPECT_EQ(second["id"], shown["rows"][1]["rowId"]);
  EXPECT_EQ(second["keepAwake"]["scope"], "mac");
}

TEST_F(QuilloCliRun, ARowThatIsNotThereFails) {
  const CliRun result = run("run --dry-run --row 50 volume");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.errors.find("'volume' has 6 rows, not 50"), std::string::npos) << result.errors;
}

TEST_F(QuilloCliRun, ARefusedOpenIsLoggedAndFails) {
  quillo::testing::TemporaryFolder apps;
  fs::create_directories(apps / "Terminal.app");
  const CliRun result = run("run --applications " + apps.path().string() + " terminal");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.errors.find("Terminal did not open: "), std::string::npos) << result.errors;
}

TEST_F(QuilloCliRun, LoadsNoneOfTheClipboardsLibraries) {
  const CliRun result = run("run --dry-run wifi", "", "LD_DEBUG=libs");
  EXPECT_EQ(result.status, 0);
  // The loader's trace is there, so the libraries below would show in it.
  ASSERT_NE(result.errors.find("libc.so.6"), std::string::npos);
  for (const char* library : {"libsqlite3", "libvips", "libtesseract"})
    EXPECT_EQ(result.errors.find(library), std::string::npos) << library;
}

}  // namespace
}  // namespace quillo::cli::testing

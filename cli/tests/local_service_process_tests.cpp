#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "quillo/testing/temporary_folder.h"

namespace {

// quillo-cli search --service local with the user's folders in a fresh folder of the test's own.
class LocalServiceSearch : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(folder / "apps"); }

  std::string environment() const {
    return "XDG_CONFIG_HOME=" + (folder / "config").string() +
           " XDG_DATA_HOME=" + (folder / "data").string() + " XDG_RUNTIME_DIR=" + (folder / "run").string();
  }

  // The macOS table offers every action whatever tools this machine has.
  quillo::cli::testing::CliRun search(const std::string& query) const {
    return quillo::cli::testing::runCli("search --json --platform macos --applications " +
                                            (folder / "apps").string() + " --service local '" + query + "'",
                                        "", environment());
  }

  quillo::testing::TemporaryFolder folder;
};

TEST_F(LocalServiceSearch, StartsTheServiceForTheCallAndMergesItsAnswer) {
  const auto run = search("make it louder");
  ASSERT_EQ(run.status, 0) << run.errors;
  const nlohmann::json result = nlohmann::json::parse(run.output);
  EXPECT_EQ(result["service"]["state"], "answered") << result["service"].dump();
  ASSERT_FALSE(result["rows"].empty());
  EXPECT_EQ(result["rows"][0]["title"], "Set Volume");
  EXPECT_TRUE(result["rows"][0]["probability"].is_number());
  // The service started for the call ended with it.
  EXPECT_FALSE(std::filesystem::exists(folder / "run/quillo/ravo.json"));
}

TEST_F(LocalServiceSearch, TakesNoKeyOrCertificateOptions) {
  const auto run = quillo::cli::testing::runCli("search --service local --key-file k q", "", environment());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("--service local takes no"), std::string::npos) << run.errors;
}

}  // namespace

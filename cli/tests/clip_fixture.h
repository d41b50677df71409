#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_runner.h"

namespace quillo::cli::testing {

// quillo-cli clip with its history and preferences in folders of the test's own.
class ClipFixture : public ::testing::Test {
 protected:
  CliRun run(const std::string& arguments, const std::string& input = "") {
    return runCli(arguments, input,
                  "XDG_DATA_HOME=" + data_.path().string() + " XDG_CONFIG_HOME=" + config_.path().string());
  }
  // Adds a copy; returns its id.
  std::string add(const std::string& arguments, const std::string& input = "") {
    const CliRun result = run("clip add " + arguments, input);
    EXPECT_EQ(result.status, 0) << arguments << ": " << result.errors;
    EXPECT_EQ(result.output.size(), 37u) << result.output;
    return result.output.substr(0, 36);
  }
  nlohmann::json json(const std::string& arguments) {
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments << ": " << result.errors;
    return nlohmann::json::parse(result.output);
  }
  std::filesystem::path history() const { return data_ / "quillo" / "Clipboard" / "history.sqlite"; }

  quillo::testing::TemporaryFolder data_;
  quillo::testing::TemporaryFolder config_;
};

}  // namespace quillo::cli::testing

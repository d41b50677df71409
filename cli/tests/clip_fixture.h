#pragma once

#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"

namespace quillo::cli::testing {

// quillo-cli clip with its history and preferences in folders of the test's own.
class ClipFixture : public CliFixture {
 protected:
  std::string environment() const override {
    return CliFixture::environment() + " XDG_DATA_HOME=" + data_.path().string();
  }
  // Adds a copy; returns its id.
  std::string add(const std::string& arguments, const std::string& input = "") {
    const CliRun result = run("clip add " + arguments, input);
    EXPECT_EQ(result.status, 0) << arguments << ": " << result.errors;
    EXPECT_EQ(result.output.size(), 37u) << result.output;
    return result.output.substr(0, 36);
  }
  // Whether a run failed with exit status 1 and this one-line message.
  static ::testing::AssertionResult failedWith(const CliRun& result, const std::string& message) {
    if (result.status == 1 && result.errors == "quillo-cli clip: " + message + "\n")
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << result.status << ", errors: " << result.errors;
  }
  std::filesystem::path history() const { return data_ / "quillo" / "Clipboard" / "history.sqlite"; }

  quillo::testing::TemporaryFolder data_;
};

}  // namespace quillo::cli::testing

#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "quillo/testing/temporary_folder.h"

namespace quillo::cli::testing {

// What one run of quillo-cli did.
struct CliRun {
  int status;
  std::string output;
  std::string errors;
};

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs the real quillo-cli through the shell: `arguments` are already quoted for it, `input` is
// its standard input, and `environment` ("NAME=value ...") is set for it alone.
inline CliRun runCli(const std::string& arguments, const std::string& input = "",
                     const std::string& environment = "") {
  quillo::testing::TemporaryFolder folder;
  quillo::testing::writeFile(folder / "in", input);
  const std::string command = environment + " " + std::string(QUILLO_CLI_PATH) + " " + arguments + " < " +
                              (folder / "in").string() + " > " + (folder / "out").string() + " 2> " +
                              (folder / "err").string();
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(folder / "out"), slurp(folder / "err")};
}

// quillo-cli with its preferences in a fresh folder of the test's own, never the user's.
class CliFixture : public ::testing::Test {
 protected:
  // `extra` ("NAME=value ...") is set for this run alone, after the fixture's own environment.
  CliRun run(const std::string& arguments, const std::string& input = "", const std::string& extra = "") {
    return runCli(arguments, input, environment() + " " + extra);
  }
  // The JSON that a successful run prints.
  nlohmann::json json(const std::string& arguments) {
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments << ": " << result.errors;
    return nlohmann::json::parse(result.output);
  }
  virtual std::string environment() const { return "XDG_CONFIG_HOME=" + config_.path().string(); }

  quillo::testing::TemporaryFolder config_;
};

}  // namespace quillo::cli::testing

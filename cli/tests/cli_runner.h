#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

}  // namespace quillo::cli::testing

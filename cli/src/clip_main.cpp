// quillo-cli-clip: the clipboard commands, started by `quillo-cli clip` in its place.
#include <fmt/format.h>

#include <exception>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  try {
    return quillo::cli::runClip(words, stdin, stdout);
  } catch (const quillo::cli::UsageError& error) {
    fmt::print(stderr, "quillo-cli clip: {}\n", error.what());
    return 2;
  } catch (const std::exception& error) {
    fmt::print(stderr, "quillo-cli clip: {}\n", error.what());
    return 1;
  }
}

#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::cli {

// A command line that does not say what the command takes; what() is the one-line message.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options a subcommand may take; those it does not take are usage errors.
struct ArgumentSpec {
  bool takesLimit = false;
  bool takesApplications = false;
};

struct Arguments {
  bool help = false;
  bool json = false;
  std::optional<std::size_t> limit;
  std::vector<std::string> applications;
  // The words after the options, joined by single spaces; "--" ends the options.
  std::string query;
};

Arguments parseArguments(std::span<const std::string> words, const ArgumentSpec& spec);

}  // namespace quillo::cli

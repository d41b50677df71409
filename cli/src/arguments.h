#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/actions/process_calls.h"
#include "quillo/core/search/search_scope.h"

namespace quillo::cli {

// A command line that does not say what the command takes; what() is the one-line message.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options a subcommand may take; those it does not take are usage errors.
struct ArgumentSpec {
  bool takesLimit = false;
  // --applications, --desktop-entries and --platform: what the system index lists.
  bool takesApplications = false;
  bool takesTree = false;
  bool takesBundleID = false;
  // --now, --time-zone and --locale, which make a search reproducible.
  bool takesClock = false;
  // --service, --key-file, --credential-file and --ca-file: the ranking service to ask.
  bool takesService = false;
  // --scope commands|files.
  bool takesScope = false;
};

struct Arguments {
  // The rows a search shows when --limit is not given.
  static constexpr std::size_t kDefaultLimit = 8;

  bool help = false;
  bool json = false;
  std::optional<std::size_t> limit;
  std::vector<std::string> applications;
  // Folders of desktop entries read instead of the desktop's own.
  std::vector<std::string> desktopEntries;
  // The platform whose settings panes, actions and process calls to use instead of this one's.
  std::optional<core::ActionPlatform> platform;
  // A saved accessibility tree file (--tree) and an application's bundle identifier (--bundle-id).
  std::optional<std::string> tree;
  std::optional<std::string> bundleID;
  // The moment, time zone and locale to resolve values in, instead of the system's.
  std::optional<std::string> now;
  std::optional<std::string> timeZone;
  std::optional<std::string> locale;
  // The ranking service's address, the files of its signing key, credential and extra trusted
  // certificate.
  std::optional<std::string> service;
  std::optional<std::string> keyFile;
  std::optional<std::string> credentialFile;
  std::optional<std::string> caFile;
  // What to search.
  core::SearchScope scope = core::SearchScope::commands;
  // The words that are not options, in order; "--" ends the options.
  std::vector<std::string> operands;
  // The operands joined by single spaces.
  std::string query;
};

Arguments parseArguments(std::span<const std::string> words, const ArgumentSpec& spec);

// Walks a command line: each word that is not an option goes to `operand`; each option's name
// goes to `option` with a function that reads its value ("--name=value", or the next word).
// "-" is an operand and "--" ends the options.
void walkCommandLine(
    std::span<const std::string> words, const std::function<void(const std::string&)>& operand,
    const std::function<void(const std::string& name, const std::function<std::string()>& value)>& option);

// The value of --limit: a whole number of at least 1. Throws UsageError.
std::size_t parseLimit(std::string_view text);

}  // namespace quillo::cli

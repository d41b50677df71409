#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace quillo::cli {

// A subcommand of quillo-cli. `run` returns the exit status; it throws UsageError for a bad
// command line and any other exception for a runtime failure.
struct Subcommand {
  std::string_view name;
  std::string_view summary;
  std::string_view help;
  int (*run)(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
};

int runFilter(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runSearch(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runPrefs(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runUsage(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runMenus(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runFolders(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runCapabilities(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runRun(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runClip(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);
int runSession(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);

extern const std::string_view kFilterHelp;
extern const std::string_view kSearchHelp;
extern const std::string_view kPrefsHelp;
extern const std::string_view kUsageHelp;
extern const std::string_view kMenusHelp;
extern const std::string_view kCapabilitiesHelp;
extern const std::string_view kFoldersHelp;
extern const std::string_view kClipHelp;
extern const std::string_view kRunHelp;
extern const std::string_view kSessionHelp;

}  // namespace quillo::cli

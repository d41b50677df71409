#include <fmt/format.h>

#include "arguments.h"
#include "commands.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/results/usage_store.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kUsageHelp = R"(usage: quillo-cli usage record ID
       quillo-cli usage clear

Counts a run of the command ID ("action.Sleep", "app./Applications/Safari.app") as the
launcher does after running it, which lifts it in later searches; or forgets how often
every command ran. Nothing is counted while "Remember what I run" (learnFromUsage) is off.

options:
  -h, --help  show this help
)";

int runUsage(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {});
  if (arguments.help) {
    fmt::print(output, "{}", kUsageHelp);
    return 0;
  }
  const auto& operands = arguments.operands;
  const std::string action = operands.empty() ? "" : operands[0];

  const platform::posix::PosixSystem system;
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
  core::UsageStore usage(defaults);
  if (action == "record") {
    if (operands.size() != 2 || operands[1].empty()) throw UsageError("usage: quillo-cli usage record ID");
    const bool enabled = core::QuilloPreferences(defaults).learnFromUsage();
    usage.record(operands[1], enabled);
    if (!enabled) fmt::print(stderr, "Not counted: \"Remember what I run\" is off.\n");
  } else if (action == "clear") {
    if (operands.size() != 1) throw UsageError("usage: quillo-cli usage clear");
    usage.clear();
  } else {
    throw UsageError(action.empty() ? "usage needs record or clear"
                                    : "unknown usage action '" + action + "'; try record or clear");
  }
  return 0;
}

}  // namespace quillo::cli

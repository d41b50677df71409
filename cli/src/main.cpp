#include <fmt/format.h>

#include <array>
#include <exception>
#include <string>
#include <vector>

#include "arguments.h"
#include "clip_program.h"
#include "commands.h"

namespace {

using quillo::cli::Subcommand;

const std::array<Subcommand, 10> kSubcommands{{
    {"filter", "match lines from standard input as the launcher matches titles", quillo::cli::kFilterHelp,
     quillo::cli::runFilter},
    {"search", "search applications, settings and actions as the launcher does", quillo::cli::kSearchHelp,
     quillo::cli::runSearch},
    {"run", "run a search's row as the launcher does", quillo::cli::kRunHelp, quillo::cli::runRun},
    {"prefs", "read and change preferences", quillo::cli::kPrefsHelp, quillo::cli::runPrefs},
    {"usage", "count a command's run, or forget the counts", quillo::cli::kUsageHelp, quillo::cli::runUsage},
    {"menus", "list the menu commands of a saved accessibility tree", quillo::cli::kMenusHelp,
     quillo::cli::runMenus},
    {"capabilities", "list the commands that scriptable application bundles add",
     quillo::cli::kCapabilitiesHelp, quillo::cli::runCapabilities},
    {"folders", "choose the folders file search looks in", quillo::cli::kFoldersHelp,
     quillo::cli::runFolders},
    {"clip", "list, search and change the clipboard history", "", quillo::cli::runClipProgram},
    {"session", "run the launcher without a window on scripted events", quillo::cli::kSessionHelp,
     quillo::cli::runSession},
}};

void printOverview(std::FILE* stream) {
  fmt::print(stream, "usage: quillo-cli COMMAND [OPTIONS] [QUERY]\n\ncommands:\n");
  for (const Subcommand& subcommand : kSubcommands) {
    fmt::print(stream, "  {:<12} {}\n", subcommand.name, subcommand.summary);
  }
  fmt::print(stream, "\n'quillo-cli COMMAND --help' describes one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    printOverview(stderr);
    return 2;
  }
  if (words[0] == "-h" || words[0] == "--help" || words[0] == "help") {
    printOverview(stdout);
    return 0;
  }
  for (const Subcommand& subcommand : kSubcommands) {
    if (words[0] != subcommand.name) continue;
    try {
      return subcommand.run(std::span(words).subspan(1), stdin, stdout);
    } catch (const quillo::cli::UsageError& error) {
      fmt::print(stderr, "quillo-cli {}: {}\n", subcommand.name, error.what());
      return 2;
    } catch (const std::exception& error) {
      fmt::print(stderr, "quillo-cli {}: {}\n", subcommand.name, error.what());
      return 1;
    }
  }
  fmt::print(stderr, "quillo-cli: unknown command '{}'; 'quillo-cli --help' lists them\n", words[0]);
  return 2;
}

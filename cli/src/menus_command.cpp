#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "quillo/core/system/menu_privacy.h"
#include "quillo/core/system/menu_reader.h"
#include "quillo/platform/posix/saved_tree_accessibility.h"

namespace quillo::cli {

const std::string_view kMenusHelp =
    R"(usage: quillo-cli menus --tree FILE --bundle-id ID [--json]

Reads an application's menu bar from a saved accessibility tree and prints the menu commands the
launcher would offer for it, in menu order: a way to check the menu reader against menus
captured on another machine.

The tree file is JSON. An element is an object whose keys are attribute names ("AXMenuBar",
"AXChildren", "AXTitle", "AXEnabled", "AXMenuItemCmdChar", "AXMenuItemCmdModifiers", "AXRole",
...): a string, Boolean or number is that attribute's value, an array is a list of elements,
{"point": [x, y]} and {"size": [w, h]} are a point and a size, {"error": ...} is an attribute
whose read fails, and any other object is an element. The top object is the application.

options:
  --tree FILE       the saved tree to read
  --bundle-id ID    the application's bundle identifier, which command ids carry
  --json            print a JSON list: [{"id", "title", "detail", "hint", "shortcut", "isData"}];
                    isData tells whether the command looks like the user's data (a file name, an
                    address, an entry of a history or window list) rather than a command
  -h, --help        show this help
)";

namespace {

nlohmann::ordered_json commandJson(const core::Command& command) {
  return {
      {"id", command.id},     {"title", command.title},       {"detail", command.detail},
      {"hint", command.hint}, {"shortcut", command.shortcut}, {"isData", core::MenuPrivacy::isData(command)},
  };
}

}  // namespace

int runMenus(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {.takesTree = true, .takesBundleID = true});
  if (arguments.help) {
    fmt::print(output, "{}", kMenusHelp);
    return 0;
  }
  if (!arguments.operands.empty()) throw UsageError("menus takes no words besides its options");
  if (!arguments.tree) throw UsageError("--tree FILE is required");
  if (!arguments.bundleID) throw UsageError("--bundle-id ID is required");

  platform::posix::SavedTreeAccessibility accessibility =
      platform::posix::SavedTreeAccessibility::load(*arguments.tree);
  // A saved tree answers for any process.
  const auto commands = core::MenuReader(accessibility).commands(0, *arguments.bundleID);

  if (arguments.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const core::Command& command : commands)
      list.push_back(commandJson(command));
    fmt::print(output, "{}\n", list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return 0;
  }
  for (const core::Command& command : commands) {
    std::string line = command.hint;
    if (!command.shortcut.empty()) line += "  " + command.shortcut;
    if (core::MenuPrivacy::isData(command)) line += "  (data)";
    fmt::print(output, "{}\n", line);
  }
  return 0;
}

}  // namespace quillo::cli

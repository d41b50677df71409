#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "quillo/core/capabilities/capability_catalog.h"
#include "quillo/core/capabilities/capability_resolver.h"
#include "quillo/platform/posix/posix_file_system.h"

namespace quillo::cli {

const std::string_view kCapabilitiesHelp =
    R"(usage: quillo-cli capabilities [--json] APP_BUNDLE...

Reads the scripting dictionaries of the given application bundles and prints the commands they
add to the launcher, in bundle and dictionary order: scripting commands that need no value or
one simple value, and settable on/off, number or choice properties. A bundle without a readable
dictionary adds nothing.

options:
  --json        print a JSON list: [{"id", "title", "hint", "value", "choices", "bundleID",
                "bundle"}]; value is "boolean", "integer", "enumeration" or null for a command
                that takes none; choices lists the enumerator names (null unless value is
                "enumeration")
  -h, --help    show this help
)";

namespace {

using Json = nlohmann::ordered_json;

const core::Capability& capabilityOf(const core::Command& command) {
  return std::get<core::definition::ScriptableCapability>(*command.definition()).capability;
}

std::string_view valueKind(const core::Capability& capability) {
  if (!capability.value) return "none";
  if (std::holds_alternative<core::Capability::Boolean>(*capability.value)) return "boolean";
  if (std::holds_alternative<core::Capability::Integer>(*capability.value)) return "integer";
  return "enumeration";
}

Json capabilityCommandJson(const core::Command& command) {
  const core::Capability& capability = capabilityOf(command);
  Json choices = nullptr;
  if (capability.value) {
    if (const auto* enumeration = std::get_if<core::Capability::Enumeration>(&*capability.value)) {
      choices = Json::array();
      for (const auto& enumerator : enumeration->enumerators)
        choices.push_back(enumerator.name);
    }
  }
  const std::string_view kind = valueKind(capability);
  return {{"id", command.id},
          {"title", command.title},
          {"hint", command.hint},
          {"value", kind == "none" ? Json(nullptr) : Json(kind)},
          {"choices", std::move(choices)},
          {"bundleID", capability.app.bundleID},
          {"bundle", capability.app.url.filePath().value_or(capability.app.url.text)}};
}

}  // namespace

int runCapabilities(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {});
  if (arguments.help) {
    fmt::print(output, "{}", kCapabilitiesHelp);
    return 0;
  }
  if (arguments.operands.empty()) throw UsageError("name at least one application bundle");
  const std::vector<std::filesystem::path> bundles(arguments.operands.begin(), arguments.operands.end());
  const platform::posix::PosixFileSystem files;
  const auto commands = core::CapabilityCatalog::commands(files, bundles);

  if (arguments.json) {
    Json list = Json::array();
    for (const core::Command& command : commands)
      list.push_back(capabilityCommandJson(command));
    fmt::print(output, "{}\n", list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return 0;
  }
  for (const core::Command& command : commands) {
    const core::Capability& capability = capabilityOf(command);
    fmt::print(output, "{}  {}  [{}]\n", command.id, command.title, valueKind(capability));
    const std::string takes = core::CapabilityResolver::hint(capability);
    fmt::print(output, "    {}\n", command.hint.empty() ? takes : command.hint + " · " + takes);
  }
  return 0;
}

}  // namespace quillo::cli

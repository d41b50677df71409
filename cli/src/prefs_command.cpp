#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "defaults_json.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/preference_keys.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kPrefsHelp = R"(usage: quillo-cli prefs list
       quillo-cli prefs get KEY
       quillo-cli prefs set KEY VALUE
       quillo-cli prefs delete KEY

Reads and changes Quillo's preferences ($XDG_CONFIG_HOME/quillo/defaults.plist, or
~/.config/quillo/defaults.plist). Values are JSON: true, 3, 0.5, "text", [...], {...};
data is {"data": "<base64>"} and a date {"date": "2026-12-05T14:30:00Z"}. A known key
takes only its own kind of value: "prefs set learnFromUsage false".

options:
  -h, --help  show this help
)";

namespace {

void printJson(std::FILE* output, const nlohmann::ordered_json& json) {
  fmt::print(output, "{}\n", json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string withArticle(std::string_view kind) {
  const bool vowel = !kind.empty() && std::string_view("aeiou").find(kind.front()) != std::string_view::npos;
  return fmt::format("{} {}", vowel ? "an" : "a", kind);
}

core::DefaultsValue parseValue(const std::string& key, const std::string& text) {
  nlohmann::json json;
  try {
    json = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error&) {
    throw UsageError("VALUE must be JSON, such as true, 3 or \"text\" (with the quotes), not " + text);
  }
  core::DefaultsValue value = [&] {
    try {
      return fromJson(json);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  }();
  if (!core::PreferenceKeys::fits(key, value)) {
    const auto expected = core::PreferenceKeys::expectation(key);
    std::string wanted = withArticle(core::kindName(expected->kind));
    if (expected->elements) wanted += fmt::format(" of {} values", core::kindName(*expected->elements));
    throw UsageError(fmt::format("{} holds {}, not {}; nothing was changed", key, wanted,
                                 withArticle(core::kindName(value.kind()))));
  }
  return value;
}

}  // namespace

int runPrefs(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {});
  if (arguments.help) {
    fmt::print(output, "{}", kPrefsHelp);
    return 0;
  }
  const auto& operands = arguments.operands;
  const std::string action = operands.empty() ? "" : operands[0];
  const auto expect = [&](std::size_t count, std::string_view shape) {
    if (operands.size() != count) throw UsageError(fmt::format("usage: quillo-cli prefs {}", shape));
  };

  const platform::posix::PosixSystem system;
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
  if (action == "list") {
    expect(1, "list");
    printJson(output, toJson(defaults.all()));
  } else if (action == "get") {
    expect(2, "get KEY");
    const auto value = defaults.value(operands[1]);
    if (!value) throw std::runtime_error("no value is stored under " + operands[1]);
    printJson(output, toJson(*value));
  } else if (action == "set") {
    expect(3, "set KEY VALUE");
    const core::DefaultsValue value = parseValue(operands[1], operands[2]);
    try {
      defaults.set(operands[1], value);
    } catch (const core::UnstorableValue& error) {
      throw UsageError(error.what());
    }
  } else if (action == "delete") {
    expect(2, "delete KEY");
    try {
      defaults.remove(operands[1]);
    } catch (const core::UnstorableValue& error) {
      throw UsageError(error.what());
    }
  } else {
    throw UsageError(action.empty() ? "prefs needs list, get, set or delete"
                                    : "unknown prefs action '" + action + "'; try list, get, set or delete");
  }
  return 0;
}

}  // namespace quillo::cli

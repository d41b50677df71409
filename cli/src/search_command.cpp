#include <fmt/format.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "defaults_json.h"
#include "invocation_json.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/results/command_results.h"
#include "quillo/core/results/usage_store.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kSearchHelp =
    R"(usage: quillo-cli search [--limit N] [--json] [--applications DIR]... QUERY

Searches what the launcher searches locally: installed applications, System Settings panes,
the built-in actions and the commands of scriptable applications, best first, lifted by how
often you ran them (while "Remember what I run" is on). Values typed with an action become its
choices ("volume 20%", "keep awake until 4:30", "screenshot in 5 seconds", "dark mode on"). A bang word such as !yt or !w at either end searches
a web site.

options:
  --limit N             show at most N rows (default: 8)
  --json                print one JSON object: {"query", "scope", "rows": [{"id", "title",
                        "kind", "detail", "hint", "score", "probability", "url",
                        "rowId", "action"}], "parsed": {"values", "remainder"}}
  --applications DIR    look for applications in DIR (and one folder below) instead of the
                        standard application folders; may be given more than once
  --now TIME            resolve typed values at TIME (ISO 8601 with Z or an offset, such as
                        2026-12-05T15:00:00+01:00) instead of now
  --time-zone ZONE      in the IANA time zone ZONE (Europe/Zurich) instead of the system's
  --locale LOCALE       with the ICU locale LOCALE (en_US, de_CH) instead of the system's
  -h, --help            show this help
)";

namespace {

constexpr std::size_t kDefaultLimit = 8;

nlohmann::ordered_json optionalJson(const auto& value) {
  if (!value) return nullptr;
  return *value;
}

std::optional<std::string> urlOf(const core::Command& command) {
  if (const auto* open = std::get_if<core::target::OpenUrl>(&command.target)) return open->url.text;
  return std::nullopt;
}

nlohmann::ordered_json rowJson(const core::ScoredRow& scored, base::Date now) {
  const core::Command& command = scored.row.command;
  return {
      {"id", command.id},
      {"title", command.title},
      {"kind", core::displayName(command.kind)},
      {"detail", scored.row.detail()},
      {"hint", command.hint},
      {"score", optionalJson(scored.localScore)},
      {"probability", optionalJson(scored.row.probability)},
      {"url", optionalJson(urlOf(command))},
      {"rowId", scored.row.id()},
      {"action", actionJson(scored.row, now)},
  };
}

nlohmann::ordered_json parsedJson(const core::ParsedQuery& parsed) {
  nlohmann::ordered_json values = nlohmann::ordered_json::array();
  for (const core::ParsedValue& value : parsed.values) values.push_back(toJson(value));
  return {{"values", std::move(values)}, {"remainder", parsed.remainder}};
}

// The moment, zone and locale to resolve values in: the system's unless the command line says.
core::ResolverContext resolverContext(const Arguments& arguments, const platform::System& system) {
  double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  if (arguments.now) {
    try {
      now = parseIsoDate(*arguments.now).secondsSince1970;
    } catch (const std::invalid_argument& error) {
      throw UsageError(std::string("--now: ") + error.what());
    }
  }
  core::ResolverContext context = core::currentResolverContext(system, base::Date{now});
  if (arguments.timeZone) {
    if (!core::isKnownTimeZone(*arguments.timeZone)) {
      throw UsageError("--time-zone: unknown time zone '" + *arguments.timeZone + "'; use an IANA name such as Europe/Zurich");
    }
    context.timeZone = *arguments.timeZone;
  }
  if (arguments.locale) context.locale = *arguments.locale;
  return context;
}

}  // namespace

int runSearch(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments =
      parseArguments(words, {.takesLimit = true, .takesApplications = true, .takesClock = true});
  if (arguments.help) {
    fmt::print(output, "{}", kSearchHelp);
    return 0;
  }

  const platform::posix::PosixSystem system;
  const core::ResolverContext context = resolverContext(arguments, system);
  core::ApplicationRoots roots = core::ApplicationRoots::standard(system);
  if (!arguments.applications.empty()) {
    roots = core::ApplicationRoots{.folders = {arguments.applications.begin(), arguments.applications.end()},
                                   .bundles = {}};
  }
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system));
  const core::QuilloPreferences preferences(defaults);
  const core::UsageStore usage(defaults);
  const core::CommandIndex index = core::CommandIndex::system(system, roots);
  const auto rows = core::localCommandResults(index, arguments.query,
                                              usage.rankingCounts(preferences.learnFromUsage()), context,
                                              arguments.limit.value_or(kDefaultLimit));

  if (arguments.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const core::ScoredRow& row : rows) list.push_back(rowJson(row, context.now));
    const nlohmann::ordered_json result{{"query", arguments.query},
                                        {"scope", "commands"},
                                        {"rows", std::move(list)},
                                        {"parsed", parsedJson(core::ParameterParser::parse(arguments.query))}};
    fmt::print(output, "{}\n", result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return 0;
  }
  for (const core::ScoredRow& row : rows) {
    const std::string score = row.localScore ? std::to_string(*row.localScore) : "-";
    const std::string& detail = row.row.detail();
    fmt::print(output, "{:>5}  {}  ({}){}\n", score, row.row.command.title,
               core::displayName(row.row.command.kind), detail.empty() ? "" : "  " + detail);
  }
  return 0;
}

}  // namespace quillo::cli

#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>

#include "arguments.h"
#include "command_search.h"
#include "commands.h"
#include "file_search.h"
#include "quillo/app/invocation_json.h"
#include "quillo/app/search_json.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kSearchHelp =
    R"(usage: quillo-cli search [--limit N] [--json] [--applications DIR]... [--desktop-entries DIR]...
                         [--platform macos|linux] QUERY
       quillo-cli search --scope files [--limit N] [--json] QUERY

Searches what the launcher searches locally: installed applications (application bundles, and
on Linux the desktop's applications and their actions), System Settings panes (on Linux those
the desktop's settings program has), the built-in actions (on Linux those whose tool is on PATH)
and the commands of scriptable applications, best first, lifted by how often you ran them
(while "Remember what I run" is on). Values typed with an action become its
choices ("volume 20%", "keep awake until 4:30", "screenshot in 5 seconds", "dark mode on"). A bang word such as !yt or !w at either end searches
a web site.

With --service, a query that local matching does not settle (no strong match, or a sentence of
three or more words) is also sent to the ranking service, whose commands and web-search
suggestion are merged with the local rows. Whatever the service does, the local rows print and
the exit status is 0.

With --scope files, the files and folders in the search folders (quillo-cli folders) whose
names match, found as the launcher finds them: a file named exactly stands on its own; other
queries go to the ranking service when --service is given and "searchFilesWithRavo" is on
(strong local rows are checked with it first, then it ranks recent files of the kinds the query
describes). QUILLO_LOG_LEVEL=debug shows the route taken on standard error. File rows carry
"url" and "fileDetail": {"folder", "size", "day"}, and the object gains "route".

options:
  --scope SCOPE         commands (the default) or files
  --limit N             show at most N rows (default: 8)
  --json                print one JSON object: {"query", "scope", "rows": [{"id", "title",
                        "kind", "detail", "hint", "score", "probability", "url",
                        "fileDetail", "rowId", "action"}], "parsed": {"values", "remainder"},
                        "service": {"state", "message", "latencyMs", "inputTokens",
                        "noneProbability"}}; state is "off", "idle" (not worth
                        asking), "answered" or "failed"
  --applications DIR    look for application bundles in DIR (and one folder below) instead of
                        the standard application folders; may be given more than once
  --desktop-entries DIR read desktop entries from DIR (and the folders below it) instead of
                        the desktop's folders; may be given more than once, the first wins
  --platform P          list the settings panes and actions of P (macos or linux) and print
                        its process calls, instead of this system's
  --now TIME            resolve typed values at TIME (ISO 8601 with Z or an offset, such as
                        2026-12-05T15:00:00+01:00) instead of now
  --time-zone ZONE      in the IANA time zone ZONE (Europe/Zurich) instead of the system's
  --locale LOCALE       with the ICU locale LOCALE (en_US, de_CH) instead of the system's
  --service URL         ask the ranking service at URL (https, no path); "local" asks the
                        local service, quillo-ravo: the one running for this user, or one
                        started for this call (made ready on first use, no other option needed)
  --key-file F          its signing key: 32 raw bytes or 64 hexadecimal characters
  --credential-file F   the access credential sent with each request (default: none)
  --ca-file F           a PEM certificate to trust besides the system's
  -h, --help            show this help
)";

namespace {

nlohmann::ordered_json parsedJson(const core::ParsedQuery& parsed) {
  nlohmann::ordered_json values = nlohmann::ordered_json::array();
  for (const core::ParsedValue& value : parsed.values)
    values.push_back(app::toJson(value));
  return {{"values", std::move(values)}, {"remainder", parsed.remainder}};
}

}  // namespace

int runSearch(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {.takesLimit = true,
                                                     .takesApplications = true,
                                                     .takesClock = true,
                                                     .takesService = true,
                                                     .takesScope = true});
  if (arguments.help) {
    fmt::print(output, "{}", kSearchHelp);
    return 0;
  }

  const platform::posix::PosixSystem system;
  const core::ResolverContext context = resolverContext(arguments, system);
  if (arguments.scope == core::SearchScope::files) return searchFiles(arguments, system, context, output);
  const CommandSearch found = searchCommands(arguments, system, context,
                                             arguments.limit.value_or(Arguments::kDefaultLimit), "search");
  const auto& [rows, service, calls] = found;

  if (arguments.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const core::ScoredRow& row : rows)
      list.push_back(app::rowJson(row, context.now, calls));
    const nlohmann::ordered_json result{{"query", arguments.query},
                                        {"scope", core::rawValue(core::SearchScope::commands)},
                                        {"rows", std::move(list)},
                                        {"parsed", parsedJson(core::ParameterParser::parse(arguments.query))},
                                        {"service", app::serviceJson(service)}};
    fmt::print(output, "{}\n", result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return 0;
  }
  if (service.state == core::ServiceState::failed ||
      (service.state == core::ServiceState::off && arguments.service)) {
    fmt::print(stderr, "quillo-cli search: service {}: {}\n", core::rawValue(service.state),
               service.message.value_or(""));
  }
  for (const core::ScoredRow& row : rows) {
    const std::string score = row.localScore ? std::to_string(*row.localScore) : "-";
    const std::string probability =
        row.row.probability ? fmt::format("  p={:.2f}", *row.row.probability) : "";
    const std::string& detail = row.row.detail();
    fmt::print(output, "{:>5}  {}  ({}){}{}\n", score, row.row.command.title,
               core::displayName(row.row.command.kind), detail.empty() ? "" : "  " + detail, probability);
  }
  return 0;
}

}  // namespace quillo::cli

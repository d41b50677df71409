#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kSearchHelp =
    R"(usage: quillo-cli search [--limit N] [--json] [--applications DIR]... QUERY

Searches what the launcher searches locally: installed applications, System Settings panes
and the built-in actions, best first.

options:
  --limit N             show at most N rows (default: 8)
  --json                print one JSON object: {"query", "scope", "rows": [{"id", "title",
                        "kind", "detail", "hint", "score"}]}
  --applications DIR    look for applications in DIR (and one folder below) instead of the
                        standard application folders; may be given more than once
  -h, --help            show this help
)";

namespace {

constexpr std::size_t kDefaultLimit = 8;

nlohmann::ordered_json rowJson(const core::LocalHit& hit) {
  const core::Command& command = hit.command;
  return {
      {"id", command.id},         {"title", command.title}, {"kind", core::displayName(command.kind)},
      {"detail", command.detail}, {"hint", command.hint},   {"score", hit.score},
  };
}

}  // namespace

int runSearch(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {.takesLimit = true, .takesApplications = true});
  if (arguments.help) {
    fmt::print(output, "{}", kSearchHelp);
    return 0;
  }

  const platform::posix::PosixSystem system;
  core::ApplicationRoots roots = core::ApplicationRoots::standard(system);
  if (!arguments.applications.empty()) {
    roots = core::ApplicationRoots{.folders = {arguments.applications.begin(), arguments.applications.end()},
                                   .bundles = {}};
  }
  const core::CommandIndex index = core::CommandIndex::system(system, roots);
  const auto hits = index.search(arguments.query, {}, arguments.limit.value_or(kDefaultLimit));

  if (arguments.json) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const core::LocalHit& hit : hits)
      rows.push_back(rowJson(hit));
    const nlohmann::ordered_json result{
        {"query", arguments.query}, {"scope", "commands"}, {"rows", std::move(rows)}};
    fmt::print(output, "{}\n", result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return 0;
  }
  for (const core::LocalHit& hit : hits) {
    fmt::print(output, "{:>5}  {}  ({})\n", hit.score, hit.command.title,
               core::displayName(hit.command.kind));
  }
  return 0;
}

}  // namespace quillo::cli

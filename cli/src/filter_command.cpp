#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "output_buffer.h"
#include "streamed_filter.h"

namespace quillo::cli {

const std::string_view kFilterHelp = R"(usage: quillo-cli filter [--limit N] [--json] QUERY

Reads candidate lines from standard input and prints those that match QUERY, best first,
with the launcher's own matching: whole titles, then title prefixes, then word starts, then
scattered letters; equal scores by text, then by input order.

options:
  --limit N   print at most N matches (default: all)
  --json      print JSON Lines: {"title": "...", "score": 899, "line": 12} (line counts from 1)
  -h, --help  show this help
)";

int runFilter(std::span<const std::string> words, std::FILE* input, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {.takesLimit = true});
  if (arguments.help) {
    fmt::print(output, "{}", kFilterHelp);
    return 0;
  }
  if (arguments.query.empty()) throw UsageError("filter needs a QUERY");

  core::TitleFilterOptions options;
  if (arguments.limit) options.limit = *arguments.limit;
  const FilteredInput filtered = filterInput(fileno(input), arguments.query, options);
  const auto& lines = filtered.lines.lines();
  const auto& hits = filtered.hits;

  OutputBuffer out(output);
  for (const core::TitleHit& hit : hits) {
    if (arguments.json) {
      const nlohmann::ordered_json object{
          {"title", lines[hit.position]}, {"score", hit.score}, {"line", hit.position + 1}};
      out.append(object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    } else {
      out.append(lines[hit.position]);
    }
    out.append("\n");
  }
  return 0;
}

}  // namespace quillo::cli

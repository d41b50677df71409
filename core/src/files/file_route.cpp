#include "quillo/core/files/file_route.h"

#include <algorithm>
#include <unordered_set>

#include "quillo/base/unicode.h"
#include "quillo/core/files/file_name_match.h"

namespace quillo::core {
namespace {

constexpr std::size_t kShortlistLimit = 12;

}  // namespace

std::string_view rawValue(FileRoute route) {
  switch (route) {
    case FileRoute::exactLocal:
      return "exact-local";
    case FileRoute::strongLocal:
      return "strong-local";
    case FileRoute::localOnly:
      return "local-only";
    case FileRoute::validateShortlist:
      return "validate-shortlist";
    case FileRoute::broadSearch:
      return "broad-search";
  }
  return {};
}

bool FileRouteDecision::isLocal() const {
  return route == FileRoute::exactLocal || route == FileRoute::strongLocal || route == FileRoute::localOnly;
}

std::string FileRouteDecision::logLine() const {
  std::string line = "[quillo-file-route] route=" + std::string(rawValue(route));
  if (isLocal()) return line + " matches=" + std::to_string(hits.size());
  return line + " strong=" + std::to_string(strongCount);
}

FileRouteDecision decideFileRoute(std::string_view query, FileRouteInput input) {
  FileRouteDecision decision;
  const bool folderMatched = !input.folderHits.empty();
  std::unordered_set<std::string> seen;
  for (auto* list : {&input.folderHits, &input.nameHits})
    for (LocalHit& hit : *list)
      if (seen.insert(hit.command.id).second) decision.hits.push_back(std::move(hit));

  bool exact = false;
  std::vector<const Command*> strong;
  for (const LocalHit& hit : decision.hits) {
    const FileNameStrength strength = fileNameStrength(query, hit.command.title);
    exact = exact || strength == FileNameStrength::exact;
    if (strength != FileNameStrength::weak) strong.push_back(&hit.command);
  }
  decision.strongCount = strong.size();

  const bool local =
      !input.canRank || folderMatched || exact || (!input.validateShortlists && !strong.empty());
  if (local) {
    decision.route = exact           ? FileRoute::exactLocal
                     : input.canRank ? FileRoute::strongLocal
                                     : FileRoute::localOnly;
  } else if (input.validateShortlists && !strong.empty() && input.canValidateShortlist) {
    decision.route = FileRoute::validateShortlist;
    for (std::size_t k = 0; k < strong.size() && k < kShortlistLimit; ++k)
      decision.shortlist.push_back(*strong[k]);
  } else {
    decision.route = FileRoute::broadSearch;
  }
  return decision;
}

bool fileRouteLogging(const std::optional<std::string>& logLevel) {
  return logLevel && base::lowercased(base::trimmedWhiteSpace(*logLevel)) == "debug";
}

}  // namespace quillo::core

#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {

// A command the ranking service matched to the query, with its probability (0 to 1).
struct SemanticHit {
  Command command;
  double probability = 0;
  bool operator==(const SemanticHit&) const = default;
};

// The service's answer for one query and scope.
struct SemanticResult {
  // The query as it was sent.
  std::string query;
  // At most four, most probable first.
  std::vector<SemanticHit> hits;
  // The lowest "none of these" probability of the answer's parts; 1 when nothing was asked.
  double noneProbability = 1;
  std::chrono::duration<double> latency{0};
  long long inputTokens = 0;
  // The service's suggestion of a web search, if it made one.
  std::optional<WebSearchHit> webSearch;

  bool operator==(const SemanticResult&) const = default;
};

}  // namespace quillo::core

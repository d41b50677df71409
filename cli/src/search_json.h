#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "quillo/base/date.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/results/command_results.h"

namespace quillo::cli {

// What became of the ranking service for one search.
struct ServiceOutcome {
  std::string state = "off";
  std::optional<std::string> message = "No service address was given (--service).";
  std::optional<core::SemanticResult> result;
};

// One row of `quillo-cli search --json`: every field present, null where it does not apply.
nlohmann::ordered_json rowJson(const core::ScoredRow& scored, base::Date now);
// The "service" object: state, message, latency, tokens and none probability.
nlohmann::ordered_json serviceJson(const ServiceOutcome& outcome);

}  // namespace quillo::cli

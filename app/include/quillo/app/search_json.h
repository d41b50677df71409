#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "quillo/base/date.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/results/scored_row.h"
#include "quillo/core/search/service_outcome.h"

namespace quillo::app {

// One row of `quillo-cli search --json`: every field present, null where it does not apply. The
// action's process call is the one `calls` gives.
nlohmann::ordered_json rowJson(const core::ScoredRow& scored, base::Date now,
                               const core::ProcessCalls& calls = core::ProcessCalls::macOS());
// The "service" object: state, message, latency, tokens and none probability.
nlohmann::ordered_json serviceJson(const core::ServiceOutcome& outcome);

}  // namespace quillo::app

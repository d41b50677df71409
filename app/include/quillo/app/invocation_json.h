#pragma once

#include <nlohmann/json.hpp>

#include "quillo/base/date.h"
#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/commands/result_row.h"
#include "quillo/core/values/parsed_query.h"

// The typed values and resolved choices of a search as quillo-cli and the desktop program print them.
namespace quillo::app {

// {"duration": 2100}, {"clockTime": {"hour": 4, "minute": 30, "period": "pm"}}, ...
nlohmann::ordered_json toJson(const core::ParsedValue& value);

// {"setVolume": {"channel": "output", "percent": 50}}, {"keepAwake": {"scope": "mac",
// "after": 3600}} or {..., "until": <seconds since 1970>}, {"screenshot": {...}}, {"appleEvent": {...}}.
nlohmann::ordered_json toJson(const core::ActionInvocation& invocation);

// The row's choice as {"key", "detail", "canRun", "invocation", "processCall"}, the process call
// computed at `now` by `calls` (null when the choice does not run as a process); null without a
// choice.
nlohmann::ordered_json actionJson(const core::ResultRow& row, base::Date now,
                                  const core::ProcessCalls& calls);

}  // namespace quillo::app

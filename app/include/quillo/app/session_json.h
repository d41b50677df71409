#pragma once

#include <chrono>
#include <nlohmann/json.hpp>

#include "quillo/app/search_model.h"

namespace quillo::app {

// One line of `quillo-cli session`: {"at", "query", "scope", "ravo": {"state", "cached",
// "reason", "message"}, "rows", "selection", "feedback", "message"}, every field present (null
// where it does not apply), rows as `search --json` prints them.
nlohmann::ordered_json sessionStateJson(const SearchModel& model, std::chrono::milliseconds at,
                                        base::Date now);

}  // namespace quillo::app

#pragma once

#include <nlohmann/json.hpp>

#include "quillo/app/run_plan.h"

namespace quillo::app {

// {"id", "title", "does", "processCall", "target", "keepAwake", "appleEvent", "reason"}: every
// field present, null where it does not apply. "does" is stepName; "processCall" is
// {"executable", "arguments"} for started processes, keep-awakes and a lock by a program;
// "target" is the application, URL or path opened or revealed, or the menu item's title;
// "keepAwake" is {"scope", "until"} (seconds since 1970); "appleEvent" is {"bundleID",
// "application"}; "reason" says why nothing runs ("invalidValue", "noValue", "settingsRow",
// "clipboard").
nlohmann::ordered_json toJson(const RunPlan& plan);

}  // namespace quillo::app

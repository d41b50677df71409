#pragma once

#include <string>
#include <vector>

#include "quillo/platform/desktop/desktop_diagnostics.h"

namespace quillo::ui {

// `quillo --diagnose`: one paragraph per facility, "clipboard: working", then how it works or
// why not, then the one step that fixes it.
std::string diagnosisText(const std::vector<platform::desktop::FacilityStatus>& facilities);
// `quillo --diagnose --json`: {"facilities": [{"facility", "state", "detail", "fix"}]}, the fix
// null when there is none.
std::string diagnosisJson(const std::vector<platform::desktop::FacilityStatus>& facilities);

}  // namespace quillo::ui

#pragma once

#include <chrono>
#include <nlohmann/json.hpp>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/search_model.h"
#include "quillo/app/shell/launcher_presentation.h"

namespace quillo::ui {

// The clipboard history as the panel shows it: {"open", "ready", "mode", "target" (the
// application a paste goes to: "pid", "id", "name", "windowClass"; null), "query", "filter",
// "entries": [{"id", "title", "kind", "pinned", "token"}], "totalCount", "selection" (ids in the
// user's order), "focused", "status"}. A token-looking entry's title is null: the text is never
// shown.
nlohmann::ordered_json clipboardStateJson(const app::ClipboardModelState& state);

// What the running program shows, for scripts and tests: {"panel": {"visible", "focused" (the
// keyboard is in it), "content"},
// "search": the search model as `quillo-cli session` writes it, "clipboard": as above}.
struct ProgramState {
  const app::SearchModel& search;
  const app::ClipboardModel& clipboard;
  const app::LauncherPresentation& presentation;
  bool panelVisible = false;
  bool panelFocused = false;
};
nlohmann::ordered_json programStateJson(const ProgramState& state, std::chrono::milliseconds at,
                                        base::Date now);

}  // namespace quillo::ui

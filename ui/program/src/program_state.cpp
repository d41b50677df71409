#include "program_state.h"

#include "quillo/app/session_json.h"

namespace quillo::ui {
namespace {

nlohmann::ordered_json optionalJson(const auto& value) {
  if (!value) return nullptr;
  return *value;
}

std::string_view modeName(app::ClipboardModelState::Mode mode) {
  return mode == app::ClipboardModelState::Mode::paste ? "paste" : "browse";
}

std::string_view contentName(app::LauncherPresentation::Content content) {
  return content == app::LauncherPresentation::Content::clipboard ? "clipboard" : "launcher";
}

}  // namespace

nlohmann::ordered_json clipboardStateJson(const app::ClipboardModelState& state) {
  nlohmann::ordered_json entries = nlohmann::ordered_json::array();
  for (const clipboard::ClipboardEntry& entry : state.entries) {
    const bool token = entry.isToken();
    entries.push_back(
        {{"id", entry.id.text()},
         {"title", token ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(entry.title)},
         {"kind", clipboard::rawValue(entry.kind)},
         {"pinned", entry.isPinned},
         {"token", token}});
  }
  nlohmann::ordered_json selection = nlohmann::ordered_json::array();
  for (const base::Uuid& id : state.selection)
    selection.push_back(id.text());
  return {
      {"open", state.isOpen},
      {"ready", state.isReady},
      {"mode", modeName(state.mode)},
      {"target", state.target ? nlohmann::ordered_json{{"pid", state.target->pid},
                                                       {"id", state.target->id},
                                                       {"name", state.target->name},
                                                       {"windowClass", state.target->windowClass}}
                              : nlohmann::ordered_json(nullptr)},
      {"query", state.query},
      {"filter", clipboard::rawValue(state.filter)},
      {"entries", std::move(entries)},
      {"totalCount", state.totalCount},
      {"selection", std::move(selection)},
      {"focused", state.focusedID ? nlohmann::ordered_json(state.focusedID->text()) : nullptr},
      {"status", optionalJson(state.status)},
  };
}

nlohmann::ordered_json programStateJson(const ProgramState& state, std::chrono::milliseconds at,
                                        base::Date now) {
  return {
      {"panel",
       {{"visible", state.panelVisible},
        {"focused", state.panelFocused},
        {"content", contentName(state.presentation.content())}}},
      {"search", app::sessionStateJson(state.search, at, now)},
      {"clipboard", clipboardStateJson(state.clipboard.state())},
  };
}

}  // namespace quillo::ui

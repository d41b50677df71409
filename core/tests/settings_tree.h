#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Compact builders of settings windows for the fake accessibility service.
namespace quillo::core::settings_tree {

using nlohmann::json;

inline json element(const std::string& role, const std::vector<json>& children = {},
                    const json& extra = json::object()) {
  json result = {{"AXRole", role}};
  if (!children.empty()) result["AXChildren"] = children;
  result.update(extra);
  return result;
}

inline json text(const std::string& value) {
  return element("AXStaticText", {}, {{"AXValue", value}});
}
inline json heading(const std::string& label) {
  return element("AXHeading", {}, {{"AXDescription", label}});
}
inline json control(const std::string& role, const std::string& description) {
  return element(role, {}, {{"AXDescription", description}});
}
inline json row(const std::vector<json>& children) {
  return element("AXRow", children);
}

// A window split into a sidebar and a pane, `depth` levels below the window (1: a direct child).
inline json splitWindow(const std::string& title, const std::vector<json>& sidebar,
                        const std::vector<json>& pane, int depth = 2) {
  json group =
      element("AXSplitGroup", {element("AXGroup", sidebar), element("AXSplitter"), element("AXGroup", pane)});
  for (int level = 1; level < depth; ++level)
    group = element("AXGroup", {group});
  return element("AXWindow", {group}, {{"AXTitle", title}});
}

inline json plainWindow(const std::string& title, const std::vector<json>& content) {
  return element("AXWindow", content, {{"AXTitle", title}});
}

// An application whose focused window is `window`.
inline std::string focused(const json& window) {
  return json{{"AXRole", "AXApplication"}, {"AXFocusedWindow", window}}.dump();
}

}  // namespace quillo::core::settings_tree

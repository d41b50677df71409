#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Compact builders of menu-bar trees for the fake accessibility service.
namespace quillo::core::menu_tree {

using nlohmann::json;

// A menu item; `extra` adds or overrides attributes ("AXEnabled", "AXMenuItemCmdChar", ...).
inline json item(const std::string& title, const json& extra = json::object()) {
  json element = {{"AXRole", "AXMenuItem"}, {"AXTitle", title}, {"AXEnabled", true}};
  element.update(extra);
  return element;
}

// A menu-bar item or an item with a submenu: its one child is the menu holding `items`.
inline json menu(const std::string& title, const std::vector<json>& items) {
  json element = item(title);
  element["AXChildren"] = json::array({json{{"AXRole", "AXMenu"}, {"AXChildren", items}}});
  return element;
}

// An application whose menu bar holds the system menu and then `menus`.
inline std::string application(const std::vector<json>& menus) {
  json bar = json::array({menu("Apple", {item("About This Mac"), item("Lock Screen")})});
  for (const json& each : menus)
    bar.push_back(each);
  return json{{"AXRole", "AXApplication"}, {"AXMenuBar", {{"AXRole", "AXMenuBar"}, {"AXChildren", bar}}}}
      .dump();
}

}  // namespace quillo::core::menu_tree

#pragma once

#include <string>
#include <vector>

namespace quillo::app {

// One menu of the application's menu bar; an empty title is a separator.
struct MenuModel {
  std::string title;
  std::vector<std::string> items;
  bool operator==(const MenuModel&) const = default;
};

// The application and Edit menus, so that the standard editing keys work in the program's fields.
std::vector<MenuModel> mainMenu();

}  // namespace quillo::app

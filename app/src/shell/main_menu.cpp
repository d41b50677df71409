#include "quillo/app/shell/main_menu.h"

namespace quillo::app {

std::vector<MenuModel> mainMenu() {
  return {
      {"Quillo", {"Close Window", "Quit Quillo"}},
      {"Edit", {"Undo", "Redo", "", "Cut", "Copy", "Paste", "Select All"}},
  };
}

}  // namespace quillo::app

#include <gtest/gtest.h>

#include "quillo/app/shell/status_menu.h"

namespace quillo::app {
namespace {

TEST(StatusMenu, ListsShowSettingsUpdatesVersionAndQuitInOrder) {
  const auto menu = statusMenu("⌘Space", "Check for Updates…", true, "0.1.0");
  EXPECT_EQ(menu.accessibilityLabel, "Quillo");
  std::vector<std::string> titles;
  for (const auto& item : menu.items)
    titles.push_back(item.isSeparator ? "—" : item.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Show Quillo (⌘Space)", "Settings…", "Check for Updates…",
                                              "Quillo 0.1.0", "—", "Quit Quillo"}));
}

TEST(StatusMenu, TheUpdateItemIsDisabledWithoutAFeed) {
  const auto menu = statusMenu("⌘Space", "Updates Come from Your Package Manager", false, "0.1.0");
  EXPECT_FALSE(menu.items[2].enabled);
}

}  // namespace
}  // namespace quillo::app

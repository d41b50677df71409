#include <gtest/gtest.h>

#include "menu_tree.h"
#include "quillo/core/system/menu_privacy.h"
#include "quillo/core/system/menu_reader.h"
#include "quillo/testing/fake_accessibility.h"

namespace quillo::core {
namespace {

using Path = std::vector<std::string>;

bool isData(std::string_view title, const Path& path, std::string_view shortcut = "") {
  return MenuPrivacy::isData(title, path, shortcut);
}

TEST(MenuPrivacy, FileNameTitlesAreDataEvenWithAShortcut) {
  EXPECT_TRUE(isData("notes.txt", {"File"}));
  EXPECT_TRUE(isData("Report.pdf", {"Edit"}, "⌘1"));
  EXPECT_TRUE(isData("Ünïcödé name.md", {"File"}));
  EXPECT_FALSE(isData("Save As…", {"File"}));
  // The part after the last dot is one to five letters or digits, and something comes before it.
  EXPECT_FALSE(isData("archive.torrent", {"File"}));
  EXPECT_FALSE(isData(".hidden", {"File"}));
  EXPECT_FALSE(isData("Wait…", {"File"}));
  EXPECT_FALSE(isData("Mr. Smith", {"File"}));
}

TEST(MenuPrivacy, AddressesAreDataEvenWithAShortcut) {
  EXPECT_TRUE(isData("https://example.org/a page", {"History"}, "⌘Y"));
  EXPECT_TRUE(isData("someone@example.org", {"Mailbox"}, "⌘M"));
  EXPECT_TRUE(isData("www.example", {"Bookmarks"}, "⌘B"));
  EXPECT_FALSE(isData("Open www", {"File"}));
}

TEST(MenuPrivacy, AShortcutMakesAListItemACommand) {
  EXPECT_FALSE(isData("Show All History", {"History"}, "⌘Y"));
  EXPECT_TRUE(isData("Show All History", {"History"}));
  EXPECT_FALSE(isData("Minimize", {"Window"}, "⌘M"));
}

TEST(MenuPrivacy, ItemsUnderListMenusAreDataAtAnyDepth) {
  for (std::string_view list : MenuPrivacy::listMenus)
    EXPECT_TRUE(isData("Monday Plans", {"File", std::string(list)})) << list;
  EXPECT_TRUE(isData("Clear Menu", {"File", "Open Recent"}));
  EXPECT_TRUE(isData("Yesterday", {"History", "Earlier", "Morning"}));
  EXPECT_FALSE(isData("Clear Menu", {"File", "Open Later"}));
}

TEST(MenuPrivacy, OnlyTheWindowMenuItselfListsWindows) {
  EXPECT_TRUE(isData("Quarterly Plan", {"Window"}));
  EXPECT_FALSE(isData("Move to Left Side", {"Window", "Move & Resize"}));
  EXPECT_FALSE(isData("Quarterly Plan", {"Windows"}));
}

TEST(MenuPrivacy, CommandsFromTheReaderAreJudgedByTheirPath) {
  using namespace menu_tree;
  testing::FakeAccessibility ax(application({
      menu("File", {menu("Open Recent", {item("Budget"), item("Clear Menu", {{"AXMenuItemCmdChar", "K"}})}),
                    item("Close", {{"AXMenuItemCmdChar", "W"}})}),
  }));
  const auto commands = MenuReader(ax).commands(testing::FakeAccessibility::kPid, "dev.example.notes");
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_TRUE(MenuPrivacy::isData(commands[0]));
  EXPECT_FALSE(MenuPrivacy::isData(commands[1]));
  EXPECT_FALSE(MenuPrivacy::isData(commands[2]));
}

TEST(MenuPrivacy, CommandsOfOtherKindsAreNeverData) {
  Command command("app.report", "Report.pdf", Command::Kind::app, "", "Window", "", target::Shell{"true"});
  EXPECT_FALSE(MenuPrivacy::isData(command));
  command.kind = Command::Kind::menuItem;
  EXPECT_TRUE(MenuPrivacy::isData(command));
}

}  // namespace
}  // namespace quillo::core

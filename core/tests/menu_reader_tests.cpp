#include <gtest/gtest.h>

#include "menu_tree.h"
#include "quillo/core/system/menu_reader.h"
#include "quillo/testing/fake_accessibility.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using menu_tree::application;
using menu_tree::item;
using menu_tree::json;
using menu_tree::menu;
using testing::FakeAccessibility;

constexpr std::string_view kApp = "dev.example.notes";

using test_support::titles;

std::vector<Command> read(FakeAccessibility& ax) {
  return MenuReader(ax).commands(FakeAccessibility::kPid, kApp);
}

TEST(MenuReader, OnlyTheApplicationMenuOfAnAppWithNoOthers) {
  FakeAccessibility ax(
      application({menu("Notes", {item("About Notes"), item("Quit Notes", {{"AXMenuItemCmdChar", "Q"}})})}));
  const auto commands = read(ax);
  ASSERT_EQ(titles(commands), (std::vector<std::string>{"About Notes", "Quit Notes"}));
  const Command& quit = commands[1];
  EXPECT_EQ(quit.id, "menu.dev.example.notes.Notes.Quit Notes");
  EXPECT_EQ(quit.kind, Command::Kind::menuItem);
  EXPECT_EQ(quit.detail, "Notes");
  EXPECT_EQ(quit.hint, "Notes > Quit Notes");
  EXPECT_EQ(quit.shortcut, "\u2318Q");
  EXPECT_FALSE(quit.fileDetail);
  EXPECT_EQ(quit.target, Command::Target(target::MenuItem{MenuItemRef{ax.find("AXTitle", "Quit Notes")}}));
}

TEST(MenuReader, DisabledUntitledAndUnreadableItemsAreSkipped) {
  json unknown = item("Paste Style");
  unknown.erase("AXEnabled");
  json failing = item("Paste and Match");
  failing["AXEnabled"] = {{"error", "cannot complete"}};
  json untitled = menu("", {item("Hidden")});
  untitled.erase("AXTitle");
  json noTitle = item("Broken");
  noTitle["AXTitle"] = {{"error", 1}};
  json numberTitle = item("Odd");
  numberTitle["AXTitle"] = 3;
  // A missing or unreadable enabled flag counts as enabled; an empty title is a separator.
  FakeAccessibility ax(application({untitled,
                                    menu("Edit", {item("Undo", {{"AXEnabled", false}}), unknown, failing,
                                                  item(""), noTitle, numberTitle, item("Copy")}),
                                    menu("", {item("Gone")})}));
  EXPECT_EQ(titles(read(ax)), (std::vector<std::string>{"Paste Style", "Paste and Match", "Copy"}));

  // The batch is all or nothing: a failed call, or one value short, reads as no item at all.
  ax.setBatchMode(FakeAccessibility::BatchMode::fails);
  EXPECT_TRUE(read(ax).empty());
  ax.setBatchMode(FakeAccessibility::BatchMode::dropsLastValue);
  EXPECT_TRUE(read(ax).empty());
}

TEST(MenuReader, ServicesSubmenuIsNeverEntered) {
  FakeAccessibility ax(
      application({menu("Notes", {item("About Notes"), menu("Services", {item("Make Sticky")}),
                                  menu("Share", {item("Mail")})})}));
  const auto commands = read(ax);
  // An item that opens a submenu is never a command itself.
  EXPECT_EQ(titles(commands), (std::vector<std::string>{"About Notes", "Mail"}));
  EXPECT_EQ(commands[1].detail, "Notes \u203A Share");
  EXPECT_EQ(commands[1].hint, "Notes > Share > Mail");
}

TEST(MenuReader, CommandsLieAtMostFourLevelsBelowTheMenuBar) {
  const json deepest = menu("Level 3", {item("Four deep"), menu("Level 4", {item("Five deep")})});
  FakeAccessibility ax(application({menu("Format", {menu("Level 2", {deepest})})}));
  const auto commands = read(ax);
  ASSERT_EQ(titles(commands), (std::vector<std::string>{"Four deep"}));
  EXPECT_EQ(commands[0].detail, "Format \u203A Level 2 \u203A Level 3");
  EXPECT_EQ(commands[0].id, "menu.dev.example.notes.Format \u203A Level 2 \u203A Level 3.Four deep");
}

TEST(MenuReader, IdenticalItemsAreNumberedByOccurrence) {
  FakeAccessibility ax(
      application({menu("Window", {item("Untitled"), item("Untitled"), item("Notes"), item("Untitled")})}));
  const auto commands = read(ax);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0].id, "menu.dev.example.notes.Window.Untitled");
  EXPECT_EQ(commands[1].id, "menu.dev.example.notes.Window.Untitled#2");
  EXPECT_EQ(commands[2].id, "menu.dev.example.notes.Window.Notes");
  EXPECT_EQ(commands[3].id, "menu.dev.example.notes.Window.Untitled#3");
  // The two items are different elements, so the commands stay apart.
  EXPECT_NE(commands[0], commands[1]);
  // Each read starts counting afresh.
  EXPECT_EQ(read(ax)[1].id, "menu.dev.example.notes.Window.Untitled#2");
}

TEST(MenuReader, ShortcutRendersEveryModifierMask) {
  // ⌃ for 4, ⌥ for 2, ⇧ for 1, and ⌘ unless 8 is set.
  const std::array<std::string_view, 16> expected{
      "⌘N", "⇧⌘N", "⌥⌘N", "⌥⇧⌘N", "⌃⌘N", "⌃⇧⌘N", "⌃⌥⌘N", "⌃⌥⇧⌘N",
      "N",  "⇧N",  "⌥N",  "⌥⇧N",  "⌃N",  "⌃⇧N",  "⌃⌥N",  "⌃⌥⇧N",
  };
  for (int mask = 0; mask < 16; ++mask)
    EXPECT_EQ(MenuReader::shortcut("N", mask), std::string(expected[mask])) << "mask " << mask;
  EXPECT_EQ(MenuReader::shortcut("N", std::nullopt), "⌘N");
  EXPECT_EQ(MenuReader::shortcut("", 0), std::nullopt);
  EXPECT_EQ(MenuReader::shortcut(std::nullopt, 1), std::nullopt);
}

TEST(MenuReader, ShortcutComesFromTheItemsCharacterAndMask) {
  FakeAccessibility ax(application(
      {menu("File", {
                        item("New Window", {{"AXMenuItemCmdChar", "N"}, {"AXMenuItemCmdModifiers", 1}}),
                        item("Close", {{"AXMenuItemCmdChar", "W"}}),
                        item("Print", {{"AXMenuItemCmdModifiers", 0}}),
                    })}));
  const auto commands = read(ax);
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].shortcut, "⇧⌘N");
  EXPECT_EQ(commands[1].shortcut, "⌘W");
  EXPECT_EQ(commands[2].shortcut, "");
}

TEST(MenuReader, ReadsEachItemInOneBatch) {
  FakeAccessibility ax(application({menu("Edit", {item("Cut"), item("Copy"), item("Paste")})}));
  ASSERT_EQ(read(ax).size(), 3u);
  EXPECT_EQ(ax.batchReads(), 3u);
  // Beside the batches: the menu bar, its items, the Edit item's title and menu, the menu's items,
  // and each item's (absent) submenu.
  EXPECT_EQ(ax.singleReads(), 8u);
}

TEST(MenuReader, UnresponsiveApplicationYieldsNothingWithinTheTimeout) {
  FakeAccessibility ax(application({menu("Edit", {item("Copy")})}));
  ax.setResponseDelay(FakeAccessibility::Seconds(0.4));
  EXPECT_EQ(read(ax).size(), 1u);
  EXPECT_EQ(ax.messagingTimeout(), FakeAccessibility::Seconds(0.5));

  // Longer than the half-second time-out the reader sets: every call gives up after it.
  FakeAccessibility slow(application({menu("Edit", {item("Copy")})}));
  slow.setResponseDelay(FakeAccessibility::Seconds(2));
  EXPECT_TRUE(read(slow).empty());
  EXPECT_LE(slow.waited(), FakeAccessibility::Seconds(0.5));
}

TEST(MenuReader, NothingIsReadWithoutPermissionApplicationOrMenuBar) {
  FakeAccessibility ax(application({menu("Edit", {item("Copy")})}));
  EXPECT_TRUE(MenuReader(ax).commands(FakeAccessibility::kPid + 1, kApp).empty());
  FakeAccessibility bare(R"({"AXRole": "AXApplication"})");
  EXPECT_TRUE(read(bare).empty());

  // Without permission nobody is asked until the launcher asks.
  ax.setTrusted(false);
  const MenuReader reader(ax);
  EXPECT_FALSE(reader.hasPermission());
  EXPECT_TRUE(reader.commands(FakeAccessibility::kPid, kApp).empty());
  EXPECT_EQ(ax.prompts(), 0);
  EXPECT_FALSE(reader.requestPermission());
  EXPECT_EQ(ax.prompts(), 1);
}

TEST(MenuReader, PressingACommandPressesItsItem) {
  FakeAccessibility ax(application({menu("Edit", {item("Copy"), item("Paste")})}));
  const auto commands = read(ax);
  const auto& paste = std::get<target::MenuItem>(commands[1].target).item;
  EXPECT_TRUE(paste.press(ax));
  ASSERT_EQ(ax.actions().size(), 1u);
  EXPECT_EQ(ax.actions()[0].element, ax.find("AXTitle", "Paste"));
  EXPECT_EQ(ax.actions()[0].name, "AXPress");

  ax.setActionsSucceed(false);
  EXPECT_FALSE(paste.press(ax));
}

}  // namespace
}  // namespace quillo::core

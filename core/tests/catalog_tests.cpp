#include <gtest/gtest.h>

#include <set>

#include "quillo/core/index/catalog.h"
#include "quillo/testing/fake_system.h"

namespace quillo::core {
namespace {

const std::string kPaneScheme = "x-apple.systempreferences:";

std::string urlOf(const Command& command) {
  if (const auto* open = std::get_if<target::OpenUrl>(&command.target)) return open->url.text;
  return {};
}

TEST(SettingsCatalog, FortySevenPanesOpenedByTheirAddress) {
  const auto panes = Catalog::settingsTable("Menu Bar");
  ASSERT_EQ(panes.size(), 47u);
  std::set<std::string> ids;
  std::set<std::string> privacyAnchors;  // privacy rows share one pane and differ after the "?"
  for (const Command& pane : panes) {
    if (urlOf(pane).find("PrivacySecurity.extension?") != std::string::npos) {
      EXPECT_TRUE(urlOf(pane).starts_with(kPaneScheme + "com.apple.settings.PrivacySecurity.extension?"));
      privacyAnchors.insert(urlOf(pane).substr(urlOf(pane).find('?')));
    }
    EXPECT_EQ(pane.kind, Command::Kind::setting);
    ASSERT_TRUE(pane.id.starts_with("setting.")) << pane.id;
    EXPECT_EQ(urlOf(pane), kPaneScheme + pane.id.substr(8));
    EXPECT_FALSE(pane.hint.empty());
    EXPECT_TRUE(pane.detail.empty() && pane.shortcut.empty() && !pane.fileDetail);
    ids.insert(pane.id);
  }
  EXPECT_EQ(ids.size(), panes.size());
  EXPECT_EQ(privacyAnchors.size(), 6u);
  EXPECT_EQ(panes.front().title, "Wi-Fi");
  EXPECT_EQ(panes[4].id, "setting.com.apple.Sound-Settings.extension");
  EXPECT_EQ(panes.back().title, "Headphones");
}

TEST(SettingsCatalog, MenuBarPaneIsNamedByTheSystemVersion) {
  testing::FakeSystem system;
  system.version = {26, 0, 0};
  EXPECT_EQ(Catalog::menuBarPaneTitle(system), "Menu Bar");
  system.version = {15, 6, 1};
  EXPECT_EQ(Catalog::menuBarPaneTitle(system), "Control Center");
  system.macOS = false;
  EXPECT_EQ(Catalog::menuBarPaneTitle(system), "Menu Bar");

  const auto before = Catalog::settingsTable("Control Center");
  const auto after = Catalog::settingsTable("Menu Bar");
  EXPECT_EQ(before[19].title, "Control Center");
  EXPECT_EQ(after[19].title, "Menu Bar");
  EXPECT_EQ(before[19].id, after[19].id);
  EXPECT_EQ(before[19].target, after[19].target);
}

TEST(ActionCatalog, TwentyTwoActionsInOrder) {
  const auto actions = Catalog::actionsTable("/Users/ana");
  ASSERT_EQ(actions.size(), 22u);
  std::set<std::string> ids;
  for (const Command& action : actions) {
    EXPECT_EQ(action.kind, Command::Kind::action);
    EXPECT_TRUE(action.detail.empty() && action.shortcut.empty() && !action.fileDetail);
    EXPECT_FALSE(action.hint.empty());
    if (action.id != "action.applications") {
      EXPECT_EQ(action.id, "action." + action.title);
    }
    ids.insert(action.id);
  }
  EXPECT_EQ(ids.size(), 22u);
  EXPECT_EQ(actions.front().title, "Lock Screen");
  EXPECT_EQ(actions.front().target, Command::Target(target::LockScreen{}));
  EXPECT_EQ(actions[7].target, Command::Target(target::StopKeepingAwake{}));
  EXPECT_EQ(actions[1].target, Command::Target(target::Shell{"pmset displaysleepnow"}));
  EXPECT_EQ(actions.back().id, "action.applications");
  EXPECT_EQ(actions.back().title, "Open Applications Folder");
  EXPECT_EQ(urlOf(actions.back()), "file:///Applications");
}

TEST(ActionCatalog, FolderActionsPointIntoTheHomeFolder) {
  const auto actions = Catalog::actionsTable("/home/zoë");
  EXPECT_EQ(urlOf(actions[17]), base::Url::file("/home/zoë/Downloads").text);
  EXPECT_EQ(urlOf(actions[18]), base::Url::file("/home/zoë/Documents").text);
  EXPECT_EQ(urlOf(actions[19]), base::Url::file("/home/zoë/Desktop").text);
  EXPECT_EQ(actions[20].title, "Open Home Folder");
  EXPECT_EQ(urlOf(actions[20]), base::Url::file("/home/zoë").text);

  // The process's tables take the system's home folder, and are built once.
  testing::FakeSystem system;
  system.home = "/Users/tester";
  EXPECT_EQ(Catalog::settings(system).size(), 47u);
  EXPECT_EQ(urlOf(Catalog::actions(system)[20]), "file:///Users/tester");
  EXPECT_EQ(&Catalog::actions(testing::FakeSystem{}), &Catalog::actions(system));
}

TEST(ActionCatalog, ParameterisedActionsCarryDistinctDefinitions) {
  std::set<std::pair<ScreenshotMode, ScreenshotDestination>> screenshots;
  std::set<VolumeChannel> channels;
  std::set<AwakeScope> scopes;
  for (const Command& action : Catalog::actionsTable("/Users/ana")) {
    const ActionDefinition* definition = action.definition();
    if (definition == nullptr) continue;
    if (const auto* shot = std::get_if<definition::Screenshot>(definition)) {
      screenshots.insert({shot->mode, shot->destination});
    } else if (const auto* volume = std::get_if<definition::SetVolume>(definition)) {
      channels.insert(volume->channel);
    } else if (const auto* awake = std::get_if<definition::KeepAwake>(definition)) {
      scopes.insert(awake->scope);
    }
  }
  EXPECT_EQ(screenshots.size(), 6u);
  EXPECT_EQ(channels.size(), 3u);
  EXPECT_EQ(scopes.size(), 2u);
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include "quillo/core/commands/app_launch.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

using test_support::disk;

DesktopApplication app(std::string id, std::string name) {
  DesktopApplication result;
  result.path = "/usr/share/applications/" + id + ".desktop";
  result.id = std::move(id);
  result.name = std::move(name);
  return result;
}

std::vector<Command> commandsOf(const std::vector<DesktopApplication>& apps,
                                const ApplicationRoots& roots = {}) {
  return CommandIndex::installedApps(disk, roots, apps, "en_US");
}

TEST(DesktopApps, CommandIsNamedByTheDesktopFileIdAndOpensTheEntry) {
  const auto commands = commandsOf({app("org.gnome.Calculator", "Calculator")});
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].id, "app.org.gnome.Calculator");
  EXPECT_EQ(commands[0].kind, Command::Kind::app);
  EXPECT_EQ(appLaunch(std::get<target::App>(commands[0].target)),
            (AppLaunch{"/usr/share/applications/org.gnome.Calculator.desktop", std::nullopt}));
}

TEST(DesktopApps, ActionsBecomeCommandsOfTheirOwn) {
  DesktopApplication web = app("firefox", "Firefox");
  web.actions = {{"private-window", "New Private Window"}};
  const auto commands = commandsOf({web});
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].title, "Firefox: New Private Window");
  EXPECT_EQ(commands[1].id, "app.firefox#private-window");
  EXPECT_EQ(appLaunch(std::get<target::App>(commands[1].target)),
            (AppLaunch{"/usr/share/applications/firefox.desktop", "private-window"}));
}

TEST(DesktopApps, SortWithBundlesAndLoseToABundleOfTheSameName) {
  testing::TemporaryFolder folder;
  fs::create_directories(folder / "Zed.app");
  fs::create_directories(folder / "Calculator.app");
  const auto commands = commandsOf({app("calc", "Calculator"), app("anki", "anki")},
                                   ApplicationRoots{.folders = {folder.path()}, .bundles = {}});
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].title, "anki");
  EXPECT_EQ(commands[1].id, "app." + (folder / "Calculator.app").string());
  EXPECT_EQ(commands[2].title, "Zed");
}

TEST(DesktopApps, HintIsTheGenericNameOrCommentThenTheKeywords) {
  DesktopApplication web = app("web", "Web");
  web.genericName = "Web Browser";
  web.comment = "Browse the web";
  web.keywords = {"internet", "www"};
  DesktopApplication notes = app("notes", "Notes");
  notes.comment = "Take notes";
  DesktopApplication tool = app("tool", "Tool");
  tool.categories = {"Development", "IDE"};
  const auto commands = commandsOf({web, notes, tool});
  EXPECT_EQ(commands[0].hint, "Take notes");
  EXPECT_EQ(commands[1].hint, "Development, IDE");
  EXPECT_EQ(commands[2].hint, "Web Browser. internet, www");
}

TEST(AppLaunch, ActionSurvivesCharactersThatNeedEscaping) {
  const target::App target = appTarget("/opt/my apps/x.desktop", "new window#2");
  EXPECT_EQ(appLaunch(target), (AppLaunch{"/opt/my apps/x.desktop", "new window#2"}));
}

TEST(DesktopEntryFolders, UserFirstThenDataDirsThenFlatpakAndSnapExports) {
  testing::FakeSystem system;
  system.home = "/home/ann";
  system.variables = {{"XDG_DATA_DIRS", "/usr/share:relative:/opt/share:/usr/share"}};
  EXPECT_EQ(desktopEntryFolders(system),
            (std::vector<fs::path>{
                "/home/ann/.local/share/applications", "/usr/share/applications", "/opt/share/applications",
                "/home/ann/.local/share/flatpak/exports/share/applications",
                "/var/lib/flatpak/exports/share/applications", "/var/lib/snapd/desktop/applications"}));
}

TEST(DesktopEntryFolders, UnsetDataDirsMeanTheStandardOnes) {
  testing::FakeSystem system;
  system.home = "/home/ann";
  system.variables = {{"XDG_DATA_HOME", "/data"}};
  const auto folders = desktopEntryFolders(system);
  EXPECT_EQ(std::vector<fs::path>(folders.begin(), folders.begin() + 3),
            (std::vector<fs::path>{"/data/applications", "/usr/local/share/applications",
                                   "/usr/share/applications"}));
}

}  // namespace
}  // namespace quillo::core

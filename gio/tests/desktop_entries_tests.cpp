#include <gtest/gtest.h>

#include "quillo/gio/gio_library.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::gio {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;
using testing::writeFile;

std::string entry(std::string_view name, std::string_view extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + std::string(name) + "\nExec=/bin/true\n" +
         std::string(extra);
}

class DesktopEntries : public ::testing::Test {
 protected:
  gio::DesktopEntries read(std::vector<std::string> desktops = {"GNOME"}, std::string locale = "en_US") {
    return readDesktopEntries({.folders = {user_.path(), system_.path()},
                               .currentDesktops = std::move(desktops),
                               .locale = std::move(locale)});
  }
  std::vector<std::string> names(std::vector<std::string> desktops = {"GNOME"}) {
    std::vector<std::string> result;
    for (const core::DesktopApplication& app : read(std::move(desktops)).applications)
      result.push_back(app.name);
    return result;
  }

  TemporaryFolder user_;
  TemporaryFolder system_;
};

TEST_F(DesktopEntries, EarlierFolderWinsForTheSameId) {
  writeFile(user_ / "editor.desktop", entry("My Editor"));
  writeFile(system_ / "editor.desktop", entry("Editor"));
  EXPECT_EQ(names(), (std::vector<std::string>{"My Editor"}));
}

TEST_F(DesktopEntries, SubfoldersJoinTheIdWithDashes) {
  writeFile(system_ / "kde" / "konsole.desktop", entry("Konsole"));
  const auto apps = read().applications;
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].id, "kde-konsole");
  EXPECT_EQ(apps[0].path, system_ / "kde" / "konsole.desktop");
}

TEST_F(DesktopEntries, HiddenEntryHidesTheSameIdInLaterFolders) {
  writeFile(user_ / "editor.desktop", entry("Editor", "Hidden=true\n"));
  writeFile(system_ / "editor.desktop", entry("Editor"));
  EXPECT_TRUE(names().empty());
}

TEST_F(DesktopEntries, NoDisplayEntriesAreLeftOut) {
  writeFile(system_ / "helper.desktop", entry("Helper", "NoDisplay=true\n"));
  writeFile(system_ / "shown.desktop", entry("Shown"));
  EXPECT_EQ(names(), (std::vector<std::string>{"Shown"}));
}

TEST_F(DesktopEntries, FollowsTheCurrentDesktops) {
  writeFile(system_ / "a.desktop", entry("Only KDE", "OnlyShowIn=KDE;\n"));
  writeFile(system_ / "b.desktop", entry("Not GNOME", "NotShowIn=GNOME;\n"));
  writeFile(system_ / "c.desktop", entry("Only GNOME", "OnlyShowIn=GNOME;Unity;\n"));
  EXPECT_EQ(names({"ubuntu", "GNOME"}), (std::vector<std::string>{"Only GNOME"}));
  EXPECT_EQ(names({"KDE"}), (std::vector<std::string>{"Only KDE", "Not GNOME"}));
}

TEST_F(DesktopEntries, MissingTryExecProgramLeavesTheEntryOut) {
  writeFile(system_ / "gone.desktop", entry("Gone", "TryExec=/nonexistent/quillo-program\n"));
  writeFile(system_ / "here.desktop", entry("Here", "TryExec=/bin/sh\n"));
  EXPECT_EQ(names(), (std::vector<std::string>{"Here"}));
}

TEST_F(DesktopEntries, MissingExecProgramLeavesTheEntryOut) {
  writeFile(system_ / "gone.desktop",
            "[Desktop Entry]\nType=Application\nName=Gone\nExec=quillo-no-such-program %U\n");
  const auto entries = read();
  EXPECT_TRUE(entries.applications.empty());
  EXPECT_TRUE(entries.warnings.empty());
}

TEST_F(DesktopEntries, TextsFollowTheUsersLocale) {
  writeFile(system_ / "calc.desktop",
            entry("Calculator",
                  "Name[de]=Rechner\nGenericName=Calculator\nGenericName[de]=Taschenrechner\n"
                  "Keywords=math;sum;\nKeywords[de]=Mathe;Summe;\n"));
  const auto german = read({"GNOME"}, "de_CH").applications;
  ASSERT_EQ(german.size(), 1u);
  EXPECT_EQ(german[0].name, "Rechner");
  EXPECT_EQ(german[0].genericName, "Taschenrechner");
  EXPECT_EQ(german[0].keywords, (std::vector<std::string>{"Mathe", "Summe"}));
  EXPECT_EQ(read({"GNOME"}, "fr_FR").applications[0].name, "Calculator");
}

TEST_F(DesktopEntries, ReadsTheDescriptiveFields) {
  writeFile(system_ / "web.desktop", entry("Web",
                                           "GenericName=Web Browser\nComment=Browse the web\n"
                                           "Icon=web-browser\nCategories=Network;WebBrowser;\n"));
  const auto apps = read().applications;
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].genericName, "Web Browser");
  EXPECT_EQ(apps[0].comment, "Browse the web");
  EXPECT_EQ(apps[0].icon, "web-browser");
  EXPECT_EQ(apps[0].categories, (std::vector<std::string>{"Network", "WebBrowser"}));
}

TEST_F(DesktopEntries, ActionsComeWithTheirLocalisedNames) {
  writeFile(system_ / "web.desktop", entry("Web",
                                           "Actions=new-window;private;\n\n"
                                           "[Desktop Action new-window]\nName=New Window\n"
                                           "Name[de]=Neues Fenster\nExec=/bin/true\n\n"
                                           "[Desktop Action private]\nName=New Private Window\n"
                                           "Exec=/bin/true\n"));
  const auto apps = read({"GNOME"}, "de").applications;
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].actions, (std::vector<core::DesktopAction>{{"new-window", "Neues Fenster"},
                                                               {"private", "New Private Window"}}));
}

TEST_F(DesktopEntries, BrokenFileIsSkippedWithAWarning) {
  writeFile(system_ / "broken.desktop", "this is not a key file\n\x01");
  writeFile(system_ / "nameless.desktop", "[Desktop Entry]\nType=Application\nExec=/bin/true\n");
  writeFile(system_ / "fine.desktop", entry("Fine"));
  const auto entries = read();
  EXPECT_EQ(entries.applications.size(), 1u);
  ASSERT_EQ(entries.warnings.size(), 2u);
  EXPECT_TRUE(entries.warnings[0].starts_with((system_ / "broken.desktop").string() + ": "));
  EXPECT_EQ(entries.warnings[1], (system_ / "nameless.desktop").string() + ": no Name");
}

TEST_F(DesktopEntries, OtherEntryTypesAreLeftOutQuietly) {
  writeFile(system_ / "link.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.com\n");
  const auto entries = read();
  EXPECT_TRUE(entries.applications.empty());
  EXPECT_TRUE(entries.warnings.empty());
}

}  // namespace
}  // namespace quillo::gio

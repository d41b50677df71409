#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "quillo/core/system/menu_reader.h"
#include "quillo/core/system/settings_reader.h"
#include "quillo/platform/desktop/atspi_accessibility.h"
#include "quillo/testing/accessible_test_app.h"

namespace quillo::platform::desktop {
namespace {

using namespace std::chrono_literals;

using testing::switchAccessibility;
using TestApp = testing::AccessibleTestApp;

class AtspiAccessibilityTest : public ::testing::Test {
 protected:
  // The application element, once the application has registered on the bus.
  std::optional<AXElement> applicationOf(ProcessID pid) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (auto element = accessibility.applicationElement(pid)) return element;
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }

  std::vector<core::Command> menuCommands(ProcessID pid) {
    // The application registers a moment after it shows its window.
    EXPECT_TRUE(applicationOf(pid));
    return core::MenuReader(accessibility).commands(pid, "dev.example.menus");
  }

  int argc = 1;
  char name[16] = "atspi-tests";
  char* argv[1] = {name};
  QCoreApplication application{argc, argv};
  AtspiAccessibility accessibility;
};

TEST_F(AtspiAccessibilityTest, AskingTurnsTheAccessibilityBusOnAndOnlyThen) {
  switchAccessibility(false);
  EXPECT_FALSE(accessibility.isTrusted(Accessibility::TrustCheck::silent));
  EXPECT_TRUE(accessibility.isTrusted(Accessibility::TrustCheck::prompt));
  EXPECT_TRUE(accessibility.isTrusted(Accessibility::TrustCheck::silent));
}

TEST_F(AtspiAccessibilityTest, NoApplicationForAProcessThatPublishesNothing) {
  EXPECT_FALSE(accessibility.applicationElement(static_cast<ProcessID>(QCoreApplication::applicationPid())));
}

std::vector<std::string> titles(const std::vector<core::Command>& commands) {
  std::vector<std::string> result;
  for (const core::Command& command : commands)
    result.push_back(command.title);
  return result;
}

struct Shown {
  std::string detail;
  std::string title;
  std::string shortcut;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* out) {
  *out << shown.detail << " | " << shown.title << " | " << shown.shortcut;
}

// The same menu bar in each toolkit's shape.
class AtspiMenus : public AtspiAccessibilityTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Toolkits, AtspiMenus,
                         ::testing::Values(QUILLO_TEST_MENU_APP, QUILLO_TEST_GTK_MENU_APP),
                         [](const auto& info) { return info.index == 0 ? "Qt" : "Gtk3"; });

TEST_P(AtspiMenus, MenuBarReadsIntoTheCommandsItShows) {
  switchAccessibility(true);
  TestApp app(GetParam());
  std::vector<Shown> shown;
  for (const core::Command& command : menuCommands(app.pid()))
    shown.push_back({command.detail, command.title, command.shortcut});
  const std::vector<Shown> expected{
      {"File", "New Window", "\u2318N"},
      {"File", "Open\u2026", "\u2318O"},
      {"File \u203A Open Recent", "report.txt", ""},
      {"File \u203A Open Recent", "notes.md", ""},
      {"File", "Quit", "\u2318Q"},
      {"Edit", "Undo", "\u2318Z"},
      {"Edit", "Select All", "\u2325\u2318A"},
      {"Edit \u203A Find", "Find\u2026", "\u2318F"},
      {"View", "Word Wrap", ""},
      {"View", "Small", ""},
      {"View", "Large", ""},
      {"View", "Reload", "F5"},
  };
  EXPECT_EQ(shown, expected);
}

TEST_P(AtspiMenus, PressingAMenuCommandRunsItInTheApplication) {
  switchAccessibility(true);
  TestApp app(GetParam());
  const std::vector<core::Command> commands = menuCommands(app.pid());
  const auto undo = std::ranges::find(commands, std::string("Undo"), &core::Command::title);
  ASSERT_NE(undo, commands.end());
  EXPECT_TRUE(std::get<core::target::MenuItem>(undo->target).item.press(accessibility));
  EXPECT_EQ(app.nextLine(), "pressed Undo");
}

std::size_t countOf(const std::vector<core::Command>& commands, const std::string& title) {
  return static_cast<std::size_t>(std::ranges::count(commands, title, &core::Command::title));
}

TEST_F(AtspiAccessibilityTest, AMenuChangeTheApplicationReportsIsSeenByTheNextRead) {
  switchAccessibility(true);
  AtspiAccessibility remembering(AtspiAccessibility::Options{.menuMemory = std::chrono::minutes(10)});
  const core::MenuReader reader(remembering);
  TestApp app(QUILLO_TEST_GTK_MENU_APP);
  ASSERT_TRUE(applicationOf(app.pid()));
  ASSERT_EQ(countOf(reader.commands(app.pid(), "dev.example.menus"), "Fresh Item"), 0U);
  app.write("add Fresh Item");
  ASSERT_EQ(app.nextLine(), "added Fresh Item");
  // The report reaches the bus a moment after the change.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (countOf(reader.commands(app.pid(), "dev.example.menus"), "Fresh Item") == 0 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(countOf(reader.commands(app.pid(), "dev.example.menus"), "Fresh Item"), 1U);
}

TEST_F(AtspiAccessibilityTest, AMenuChangeTheApplicationDoesNotReportIsSeenOnceTheMemoryPasses) {
  switchAccessibility(true);
  AtspiAccessibility remembering(AtspiAccessibility::Options{.menuMemory = 100ms});
  const core::MenuReader reader(remembering);
  TestApp app;
  ASSERT_TRUE(applicationOf(app.pid()));
  ASSERT_EQ(countOf(reader.commands(app.pid(), "dev.example.menus"), "Fresh Item"), 0U);
  app.write("add Fresh Item");
  ASSERT_EQ(app.nextLine(), "added Fresh Item");
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(countOf(reader.commands(app.pid(), "dev.example.menus"), "Fresh Item"), 1U);
}

TEST_F(AtspiAccessibilityTest, ReadersOnSeveralThreadsAtOnceReadTheSameMenus) {
  switchAccessibility(true);
  TestApp app;
  const std::vector<std::string> alone = titles(menuCommands(app.pid()));
  ASSERT_FALSE(alone.empty());
  AtspiAccessibility shared;
  std::vector<std::future<std::vector<std::string>>> readers;
  for (int index = 0; index < 4; ++index)
    readers.push_back(std::async(std::launch::async, [&] {
      return titles(core::MenuReader(shared).commands(app.pid(), "dev.example.menus"));
    }));
  for (auto& reader : readers)
    EXPECT_EQ(reader.get(), alone);
}

TEST_F(AtspiAccessibilityTest, AnApplicationThatDoesNotAnswerReadsAsAbsentOnceTheTimeoutPasses) {
  switchAccessibility(true);
  TestApp app;
  const auto element = applicationOf(app.pid());
  ASSERT_TRUE(element);
  accessibility.setMessagingTimeout(std::chrono::milliseconds(100));
  ::kill(app.pid(), SIGSTOP);
  const auto start = std::chrono::steady_clock::now();
  const auto bar = accessibility.attribute(*element, "AXMenuBar");
  const auto waited = std::chrono::steady_clock::now() - start;
  ::kill(app.pid(), SIGCONT);
  EXPECT_FALSE(bar);
  // Far below the bus's own default of 25 seconds.
  EXPECT_LT(waited, 5s);
}

TEST_F(AtspiAccessibilityTest, ElementsAreEqualWhenTheyAreTheSameObject) {
  switchAccessibility(true);
  TestApp app;
  const auto first = applicationOf(app.pid());
  const auto second = accessibility.applicationElement(app.pid());
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*first, *second);
  EXPECT_EQ(first->hash(), second->hash());
  const auto bar = accessibility.attribute(*first, "AXMenuBar");
  ASSERT_TRUE(bar);
  EXPECT_FALSE(std::get<AXElement>(*bar) == *first);
}

TEST_F(AtspiAccessibilityTest, AnApplicationThatQuitReadsAsAbsent) {
  switchAccessibility(true);
  std::optional<AXElement> element;
  {
    TestApp app;
    element = applicationOf(app.pid());
    ASSERT_TRUE(element);
  }
  EXPECT_FALSE(accessibility.attribute(*element, "AXTitle"));
  EXPECT_FALSE(accessibility.attribute(*element, "AXChildren"));
  EXPECT_FALSE(accessibility.attribute(*element, "AXMenuBar"));
}

std::vector<std::string> paneRows() {
  std::vector<std::string> rows{"Brightness"};
  for (int index = 1; index <= 30; ++index)
    rows.push_back("Option " + std::to_string(index));
  rows.push_back("Night Light");
  return rows;
}

const std::vector<std::string> kSections{"Network", "Displays", "Sound", "Power"};

TEST_F(AtspiAccessibilityTest, SettingsWindowWithASplitterReadsAsSidebarAndPane) {
  switchAccessibility(true);
  TestApp app(QUILLO_TEST_SETTINGS_APP, {"--splitter"});
  ASSERT_TRUE(applicationOf(app.pid()));
  const core::SettingsReader reader(accessibility);
  const auto sidebar = reader.sidebar(app.pid());
  ASSERT_TRUE(sidebar);
  EXPECT_EQ(sidebar->title, "Displays");
  EXPECT_EQ(titles(sidebar->sections), kSections);
  const auto pane = reader.openPane(app.pid());
  ASSERT_TRUE(pane);
  EXPECT_EQ(titles(pane->rows), paneRows());
}

TEST_F(AtspiAccessibilityTest, SettingsProgramWithoutASplitterReadsAsSidebarAndPane) {
  switchAccessibility(true);
  TestApp app(QUILLO_TEST_SETTINGS_APP, {"--name", "gnome-control-center"});
  ASSERT_TRUE(applicationOf(app.pid()));
  const core::SettingsReader reader(accessibility);
  const auto sidebar = reader.sidebar(app.pid());
  ASSERT_TRUE(sidebar);
  EXPECT_EQ(titles(sidebar->sections), kSections);
  const auto pane = reader.openPane(app.pid());
  ASSERT_TRUE(pane);
  EXPECT_EQ(titles(pane->rows), paneRows());
}

TEST_F(AtspiAccessibilityTest, OtherProgramsWithoutASplitterAreAllPane) {
  switchAccessibility(true);
  TestApp app(QUILLO_TEST_SETTINGS_APP, {"--name", "some-editor"});
  ASSERT_TRUE(applicationOf(app.pid()));
  const core::SettingsReader reader(accessibility);
  const auto sidebar = reader.sidebar(app.pid());
  ASSERT_TRUE(sidebar);
  EXPECT_TRUE(sidebar->sections.empty());
  const auto pane = reader.openPane(app.pid());
  ASSERT_TRUE(pane);
  std::vector<std::string> everything = kSections;
  for (const std::string& row : paneRows())
    everything.push_back(row);
  EXPECT_EQ(titles(pane->rows), everything);
}

TEST_F(AtspiAccessibilityTest, ARowOutOfViewIsScrolledIntoIt) {
  switchAccessibility(true);
  TestApp app(QUILLO_TEST_SETTINGS_APP, {"--name", "gnome-control-center"});
  ASSERT_TRUE(applicationOf(app.pid()));
  const auto pane = core::SettingsReader(accessibility).openPane(app.pid());
  ASSERT_TRUE(pane && !pane->rows.empty());
  const core::SettingsRowRef& row = std::get<core::target::SettingsRow>(pane->rows.back().target).row;
  ASSERT_TRUE(row.scrollArea);
  const auto area = [&] {
    const auto values =
        accessibility.attributes(*row.scrollArea, std::vector<std::string_view>{"AXPosition", "AXSize"});
    return Rect{std::get<Point>(*(*values)[0]), std::get<Size>(*(*values)[1])};
  };
  const auto before = row.visibleFrame(accessibility);
  ASSERT_TRUE(before);
  EXPECT_GT(before->maxY(), area().maxY());
  EXPECT_TRUE(row.scrollToVisible(accessibility));
  const auto after = row.visibleFrame(accessibility);
  ASSERT_TRUE(after);
  EXPECT_GE(after->minY(), area().minY());
  EXPECT_LE(after->maxY(), area().maxY());
}

TEST_F(AtspiAccessibilityTest, SelectingASidebarSectionSelectsItInTheApplication) {
  switchAccessibility(true);
  TestApp app(QUILLO_TEST_SETTINGS_APP, {"--name", "gnome-control-center"});
  ASSERT_TRUE(applicationOf(app.pid()));
  const auto sidebar = core::SettingsReader(accessibility).sidebar(app.pid());
  ASSERT_TRUE(sidebar && sidebar->sections.size() == 4);
  const auto& sound = std::get<core::target::SettingsRow>(sidebar->sections[2].target).row;
  const auto& displays = std::get<core::target::SettingsRow>(sidebar->sections[1].target).row;
  EXPECT_TRUE(displays.isSelected(accessibility));
  EXPECT_FALSE(sound.isSelected(accessibility));
  EXPECT_TRUE(sound.select(accessibility));
  EXPECT_TRUE(sound.isSelected(accessibility));
  EXPECT_FALSE(displays.isSelected(accessibility));
}

}  // namespace
}  // namespace quillo::platform::desktop

#include <gtest/gtest.h>

#include "quillo/core/system/settings_reader.h"
#include "quillo/testing/fake_accessibility.h"
#include "settings_tree.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using namespace settings_tree;
using namespace std::chrono_literals;
using testing::FakeAccessibility;

constexpr platform::ProcessID kPid = FakeAccessibility::kPid;

using test_support::titles;

const SettingsRowRef& refOf(const Command& command) {
  return std::get<target::SettingsRow>(command.target).row;
}

json soundWindow() {
  const json sidebar =
      element("AXScrollArea", {element("AXOutline", {
                                                        row({text("Wi-Fi")}),
                                                        row({text("Sound")}),
                                                        row({heading("Personal"), text("Focus")}),
                                                    })});
  const json pane =
      element("AXScrollArea",
              {
                  heading("Output"),
                  element("AXTable", {row({text("MacBook Speakers")}), row({text("Studio Display")})}),
                  heading("Alerts"),
                  control("AXSlider", "Alert volume"),
                  element("AXCheckBox", {}, {{"AXDescription", "Play sound on startup"}, {"AXValue", 1}}),
              });
  return splitWindow("Sound", {sidebar}, {pane});
}

TEST(SettingsReader, PaneRowsComeAfterTheSplitterHintedByTheirHeadings) {
  FakeAccessibility ax(focused(soundWindow()));
  const auto pane = SettingsReader(ax).openPane(kPid);
  ASSERT_TRUE(pane);
  EXPECT_EQ(pane->title, "Sound");
  ASSERT_EQ(titles(pane->rows), (std::vector<std::string>{"MacBook Speakers", "Studio Display",
                                                          "Alert volume", "Play sound on startup"}));
  EXPECT_EQ(pane->rows[0].id, "row.0");
  EXPECT_EQ(pane->rows[3].id, "row.3");
  EXPECT_EQ(pane->rows[1].hint, "Output > Studio Display");
  EXPECT_EQ(pane->rows[2].hint, "Alerts > Alert volume");
  EXPECT_EQ(pane->rows[0].kind, Command::Kind::settingRow);

  const SettingsRowRef& speakers = refOf(pane->rows[0]);
  EXPECT_EQ(speakers.element, ax.find("AXValue", "MacBook Speakers"));
  EXPECT_TRUE(speakers.isInRow);
  EXPECT_NE(speakers.container, speakers.element);
  EXPECT_EQ(ax.peek(speakers.container, "AXRole"), platform::AttributeValue(std::string("AXRow")));
  ASSERT_TRUE(speakers.scrollArea);
  EXPECT_EQ(ax.peek(*speakers.scrollArea, "AXRole"), platform::AttributeValue(std::string("AXScrollArea")));

  const SettingsRowRef& volume = refOf(pane->rows[2]);
  EXPECT_FALSE(volume.isInRow);
  EXPECT_EQ(volume.container, volume.element);
}

TEST(SettingsReader, SidebarSectionsComeBeforeTheSplitter) {
  FakeAccessibility ax(focused(soundWindow()));
  const SettingsReader reader(ax);
  const auto sidebar = reader.sidebar(kPid);
  ASSERT_TRUE(sidebar);
  EXPECT_EQ(sidebar->title, "Sound");
  EXPECT_EQ(titles(sidebar->sections), (std::vector<std::string>{"Wi-Fi", "Sound", "Focus"}));
  EXPECT_EQ(sidebar->sections[2].id, "section.2");
  EXPECT_EQ(sidebar->sections[2].hint, "Personal > Focus");
  EXPECT_EQ(sidebar->windowToken, reader.windowToken(kPid));
  EXPECT_EQ(reader.windowTitle(kPid), "Sound");
}

TEST(SettingsReader, WithoutASplitGroupWithinThreeLevelsTheWholeWindowIsThePane) {
  FakeAccessibility near(focused(splitWindow("Near", {text("Side")}, {text("Main")}, 3)));
  EXPECT_EQ(titles(SettingsReader(near).openPane(kPid)->rows), (std::vector<std::string>{"Main"}));
  FakeAccessibility deep(focused(splitWindow("Deep", {text("Side")}, {text("Main")}, 4)));
  EXPECT_EQ(titles(SettingsReader(deep).openPane(kPid)->rows), (std::vector<std::string>{"Side", "Main"}));
  FakeAccessibility plain(focused(
      plainWindow("Editor", {element("AXGroup", {control("AXCheckBox", "Wrap lines"), text("Font size")})})));
  EXPECT_EQ(titles(SettingsReader(plain).openPane(kPid)->rows),
            (std::vector<std::string>{"Wrap lines", "Font size"}));
  for (FakeAccessibility* ax : {&deep, &plain}) {
    const auto sidebar = SettingsReader(*ax).sidebar(kPid);
    ASSERT_TRUE(sidebar);
    EXPECT_TRUE(sidebar->sections.empty());
  }
}

TEST(SettingsReader, LabelsOfEightyCharactersAreKeptAndLongerOnesIgnored) {
  const std::string eighty(80, 'a');
  // Eighty characters of a letter and a combining accent: 160 code points, still eighty to the reader.
  std::string accented;
  for (int i = 0; i < 80; ++i)
    accented += "e\u0301";
  FakeAccessibility ax(focused(plainWindow("Long", {
                                                       text(eighty),
                                                       text(eighty + "b"),
                                                       text(accented),
                                                       text(accented + "e"),
                                                       text("  Alert volume\n"),
                                                       text(" \n\t "),
                                                       text(""),
                                                   })));
  const auto rows = SettingsReader(ax).openPane(kPid)->rows;
  EXPECT_EQ(titles(rows), (std::vector<std::string>{eighty, accented, "Alert volume"}));
}

TEST(SettingsReader, RowsAreLabelledByValueOrDescriptionAndHintedByTheHeadingAbove) {
  FakeAccessibility ax(focused(plainWindow(
      "Labels", {
                    text("Before any heading"),
                    heading("General"),
                    element("AXStaticText", {}, {{"AXValue", "Shown text"}, {"AXDescription", "Not this"}}),
                    element("AXStaticText", {}, {{"AXDescription", "Description only"}}),
                    heading("Advanced"),
                    element("AXButton", {}, {{"AXValue", "Not a label"}, {"AXDescription", "Mute"}}),
                    element("AXStaticText", {}, {{"AXValue", 3}}),
                })));
  const auto rows = SettingsReader(ax).openPane(kPid)->rows;
  // Static text goes by its value alone, anything else by its description; headings are no rows.
  ASSERT_EQ(titles(rows), (std::vector<std::string>{"Before any heading", "Shown text", "Mute"}));
  EXPECT_EQ(rows[0].hint, "Before any heading");
  EXPECT_EQ(rows[1].hint, "General > Shown text");
  EXPECT_EQ(rows[2].hint, "Advanced > Mute");
}

TEST(SettingsReader, TheWindowIsTheFocusedOneElseTheMainOneElseTheFirst) {
  const json main = plainWindow("Main", {});
  const json first = plainWindow("First", {});
  const json second = plainWindow("Second", {});
  FakeAccessibility both(
      json{{"AXFocusedWindow", plainWindow("Focused", {})}, {"AXMainWindow", main}}.dump());
  EXPECT_EQ(SettingsReader(both).windowTitle(kPid), "Focused");
  FakeAccessibility mainOnly(json{{"AXFocusedWindow", {{"error", 1}}}, {"AXMainWindow", main}}.dump());
  EXPECT_EQ(SettingsReader(mainOnly).windowTitle(kPid), "Main");
  FakeAccessibility listed(json{{"AXWindows", {first, second}}}.dump());
  EXPECT_EQ(SettingsReader(listed).windowTitle(kPid), "First");
  FakeAccessibility none(json{{"AXWindows", json::array()}}.dump());
  EXPECT_EQ(SettingsReader(none).openPane(kPid), std::nullopt);
  EXPECT_EQ(SettingsReader(none).sidebar(kPid), std::nullopt);
  EXPECT_EQ(SettingsReader(listed).windowTitle(kPid + 1), std::nullopt);
}

TEST(SettingsReader, AnUnresponsiveWindowReadsAsNone) {
  FakeAccessibility ax(focused(soundWindow()));
  ax.setResponseDelay(1s);
  EXPECT_EQ(SettingsReader(ax).openPane(kPid), std::nullopt);
  EXPECT_EQ(ax.messagingTimeout(), FakeAccessibility::Seconds(0.5));
}

TEST(SettingsReader, WindowTokensTellWindowsApart) {
  FakeAccessibility ax(
      json{{"AXFocusedWindow", plainWindow("One", {})}, {"AXWindows", {plainWindow("Two", {})}}}.dump());
  const SettingsReader reader(ax);
  const auto token = reader.windowToken(kPid);
  ASSERT_TRUE(token);
  EXPECT_EQ(token, reader.windowToken(kPid));
  EXPECT_EQ(*token, static_cast<std::int64_t>(ax.find("AXTitle", "One").hash()));
  EXPECT_NE(*token, static_cast<std::int64_t>(ax.find("AXTitle", "Two").hash()));
}

TEST(SettingsReader, APaneIsLoadedWhenTwoReadingsAgreeAndTheTitleChangedOrTimePassed) {
  const std::vector<std::string> rows{"Output", "Alert volume"};
  const std::optional<std::vector<std::string>> same = rows;
  EXPECT_FALSE(SettingsReader::isLoaded(rows, same, false, 1100ms));
  EXPECT_TRUE(SettingsReader::isLoaded(rows, same, false, 1200ms));
  EXPECT_TRUE(SettingsReader::isLoaded(rows, same, true, 0ms));
  EXPECT_FALSE(SettingsReader::isLoaded({}, std::vector<std::string>{}, true, 5s));
  EXPECT_FALSE(SettingsReader::isLoaded(rows, std::nullopt, true, 5s));
  EXPECT_FALSE(SettingsReader::isLoaded(rows, std::vector<std::string>{"Output"}, true, 5s));
  EXPECT_FALSE(SettingsReader::isLoaded(rows, std::vector<std::string>{"Output", "Alert Volume"}, true, 5s));
}

TEST(SettingsReader, ASettingsWindowHasSectionsAndIsNewOrTitledByOne) {
  FakeAccessibility ax(focused(soundWindow()));
  const auto sections = SettingsReader(ax).sidebar(kPid)->sections;
  EXPECT_TRUE(SettingsReader::isSettingsWindow(true, "Anything", sections));
  EXPECT_TRUE(SettingsReader::isSettingsWindow(false, "Sound", sections));
  EXPECT_FALSE(SettingsReader::isSettingsWindow(false, "Untitled 3", sections));
  EXPECT_FALSE(SettingsReader::isSettingsWindow(true, "Sound", {}));
}

TEST(SettingsReader, AppKitFramesCountFromTheBottomOfTheMainDisplay) {
  const platform::Rect frame{{40, 100}, {300, 20}};
  EXPECT_EQ(SettingsReader::appKitFrame(frame, 900), (platform::Rect{{40, 780}, {300, 20}}));
}

}  // namespace
}  // namespace quillo::core

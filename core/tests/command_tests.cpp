#include <gtest/gtest.h>

#include "quillo/core/actions/action_bounds.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/commands/result_row.h"
#include "quillo/testing/fake_ax_element.h"

namespace quillo::core {
namespace {

Command shellCommand(std::string shortcut = "") {
  return Command("action.Sleep", "Sleep", Command::Kind::action, "Put the Mac to sleep now", "",
                 std::move(shortcut), target::Shell{"pmset sleepnow"});
}

Command volumeCommand() {
  return Command("action.Set Volume", "Set Volume", Command::Kind::action, "", "Output", "",
                 target::Definition{definition::SetVolume{VolumeChannel::output}});
}

TEST(CommandKind, DisplayNamesRoundTripExactly) {
  for (const auto kind :
       {Command::Kind::app, Command::Kind::setting, Command::Kind::action, Command::Kind::menuItem,
        Command::Kind::webSearch, Command::Kind::capability, Command::Kind::settingRow, Command::Kind::file,
        Command::Kind::folder, Command::Kind::clipboard}) {
    EXPECT_EQ(kindFromDisplayName(displayName(kind)), kind) << displayName(kind);
  }
  EXPECT_EQ(kindFromDisplayName("App Action"), Command::Kind::capability);
  EXPECT_EQ(kindFromDisplayName("app action"), std::nullopt);
  EXPECT_EQ(kindFromDisplayName(""), std::nullopt);
}

TEST(Command, DiffersInEveryFieldIncludingTheShortcut) {
  const Command plain = shellCommand();
  const Command withShortcut = shellCommand("⌘S");
  EXPECT_NE(plain, withShortcut);
  EXPECT_NE(std::hash<Command>{}(plain), std::hash<Command>{}(withShortcut));

  Command withDetail = plain;
  withDetail.fileDetail = Command::FileDetail{"Documents", "", ""};
  EXPECT_NE(plain, withDetail);
  EXPECT_NE(std::hash<Command>{}(plain), std::hash<Command>{}(withDetail));

  Command otherTitle = plain;
  otherTitle.title = "Sleep Now";
  EXPECT_NE(plain, otherTitle);  // same id, still a different value

  // Targets of different cases with the same payload differ.
  Command app = plain;
  app.target = target::App{base::Url::file("/Applications/Safari.app")};
  Command file = plain;
  file.target = target::File{base::Url::file("/Applications/Safari.app")};
  EXPECT_NE(app, file);
  EXPECT_NE(std::hash<Command>{}(app), std::hash<Command>{}(file));
}

TEST(Command, CommandsMadeApartWithTheSameActionAndDetailsAreEqual) {
  Command first = volumeCommand();
  Command second = volumeCommand();
  first.fileDetail = Command::FileDetail{"Documents", "4 bytes", "2026-12-06"};
  second.fileDetail = Command::FileDetail{"Documents", "4 bytes", "2026-12-06"};
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::hash<Command>{}(first), std::hash<Command>{}(second));

  second.fileDetail = Command::FileDetail{"Documents", "5 bytes", "2026-12-06"};
  EXPECT_NE(first, second);
  second.fileDetail = first.fileDetail;
  second.target = target::Definition{definition::SetVolume{VolumeChannel::input}};
  EXPECT_NE(first, second);
}

TEST(Command, MenuTargetsCompareByAccessibilityIdentity) {
  const auto menuCommand = [](std::string element) {
    return Command("menu.app.File.Save", "Save", Command::Kind::menuItem, "File > Save", "File", "⌘S",
                   target::MenuItem{MenuItemRef{testing::fakeElement(std::move(element))}});
  };
  EXPECT_EQ(menuCommand("save"), menuCommand("save"));
  EXPECT_EQ(std::hash<Command>{}(menuCommand("save")), std::hash<Command>{}(menuCommand("save")));
  EXPECT_NE(menuCommand("save"), menuCommand("save-as"));
}

TEST(ResultRow, ParameterisedActionRunsOnlyWithAnInvocation) {
  EXPECT_FALSE((ResultRow{volumeCommand(), std::nullopt, std::nullopt}).canRun());
  EXPECT_FALSE(
      (ResultRow{volumeCommand(), std::nullopt, ResolvedAction{std::nullopt, "Type a percentage", "request"}})
          .canRun());
  const ResolvedAction fifty{invocation::SetVolume{VolumeChannel::output, 50}, "50%", "50"};
  EXPECT_TRUE((ResultRow{volumeCommand(), std::nullopt, fifty}).canRun());
  // Any other target runs, whatever the action says.
  EXPECT_TRUE((ResultRow{shellCommand(), std::nullopt, ResolvedAction{std::nullopt, "", "x"}}).canRun());
}

TEST(ResultRow, IdentityAndDetailFollowTheChoice) {
  const ResultRow plain{volumeCommand(), 0.4, std::nullopt};
  EXPECT_EQ(plain.id(), "action.Set Volume");
  EXPECT_EQ(plain.detail(), "Output");
  EXPECT_EQ(plain.invocation(), nullptr);

  const ResultRow fifty{volumeCommand(), std::nullopt,
                        ResolvedAction{invocation::SetVolume{VolumeChannel::output, 50}, "", "50"}};
  EXPECT_EQ(fifty.id(), "action.Set Volume#50");
  EXPECT_EQ(fifty.detail(), "Output");  // an empty choice detail falls back to the command's
  ASSERT_NE(fifty.invocation(), nullptr);

  const ResultRow refused{
      volumeCommand(), std::nullopt,
      ResolvedAction{std::nullopt, std::string(ActionBounds::volumePercent.refusal), "refused"}};
  EXPECT_EQ(refused.detail(), "The volume goes from 0% to 100%");
}

TEST(ActionValues, NamesAreExactAndBoundsInclusive) {
  EXPECT_EQ(volumeChannelFromRaw("output"), VolumeChannel::output);
  EXPECT_EQ(volumeChannelFromRaw("Output"), std::nullopt);
  EXPECT_EQ(screenshotModeFromRaw(rawValue(ScreenshotMode::window)), ScreenshotMode::window);
  EXPECT_EQ(screenshotModeFromRaw("area"), std::nullopt);

  // The other ends are reached through the resolver and the process calls.
  EXPECT_FALSE(ActionBounds::keepAwakeSeconds.contains(59));
  EXPECT_FALSE(ActionBounds::screenshotDelaySeconds.contains(0));
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include "quillo/core/index/catalog.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

using test_support::disk;

Command command(std::string id, std::string title, Command::Target target = target::Shell{"true"}) {
  return Command(std::move(id), std::move(title), Command::Kind::action, "", "", "", std::move(target));
}

Command volumeAction() {
  return command("action.Set Volume", "Set Volume",
                 target::Definition{definition::SetVolume{VolumeChannel::output}});
}

std::vector<std::string> ids(const std::vector<LocalHit>& hits) {
  std::vector<std::string> result;
  for (const LocalHit& hit : hits)
    result.push_back(hit.command.id);
  return result;
}

TEST(CommandIndex, EmptyOrBlankQueryListsOnlyUsedCommands) {
  const CommandIndex index({command("a", "Alpha"), command("b", "Beta"), command("c", "Gamma")});
  EXPECT_TRUE(index.search("", {}, 8).empty());
  const UsageCounts usage{{"c", 2}, {"a", 5}, {"gone", 9}};
  const auto hits = index.search("   ", usage, 8);
  EXPECT_EQ(ids(hits), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(hits[0].score, 0);
  EXPECT_EQ(ids(index.search("", usage, 1)), (std::vector<std::string>{"a"}));
}

TEST(CommandIndex, UsageThenTitleThenEntryOrderSettleTies) {
  const CommandIndex index({command("z", "Zed"), command("b2", "Bee"), command("b1", "Bee")});
  const UsageCounts usage{{"z", 3}, {"b1", 3}, {"b2", 3}};
  EXPECT_EQ(ids(index.search("", usage, 8)), (std::vector<std::string>{"b2", "b1", "z"}));

  // Among equal matches, use comes before title and entry order.
  const CommandIndex screens({command("a", "Screen One"), command("b", "Screen Two")});
  EXPECT_EQ(ids(screens.search("screen", {}, 8)), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ids(screens.search("screen", {{"b", 1}}, 8)), (std::vector<std::string>{"b", "a"}));
}

TEST(CommandIndex, UsageReordersWithinABandButNeverLiftsAWeakMatch) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxy";
  // 880 for the contiguous run, less a quarter of the 341 extra characters: 795.
  const std::string longTitle = "x" + alphabet + std::string(340, 'z');
  const CommandIndex index({command("weak", longTitle), command("lock", "Lock Screen")});
  EXPECT_EQ(index.search(alphabet, {}, 8).at(0).score, 795);
  EXPECT_EQ(index.search(alphabet, {{"weak", 20}}, 8).at(0).score, 799);
  EXPECT_EQ(index.search(alphabet, {{"weak", 2}}, 8).at(0).score, 797);
  EXPECT_EQ(index.search("lock", {{"lock", 20}}, 8).at(0).score, 899 + 9);
  EXPECT_EQ(index.search("lock", {{"lock", 4}}, 8).at(0).score, 899 + 4);
  EXPECT_EQ(index.search("lock", {{"lock", -3}}, 8).at(0).score, 899);
}

TEST(CommandIndex, OrdersByScoreThenTitleThenEntryOrder) {
  const CommandIndex index({command("later-word", "Set Lock"), command("prefix", "Lock Screen"),
                            command("whole", "Lock"), command("dup2", "Lock Up"), command("dup1", "Lock Up"),
                            command("other", "Lock On")});
  EXPECT_EQ(ids(index.search("lock", {}, 8)),
            (std::vector<std::string>{"whole", "other", "dup2", "dup1", "prefix", "later-word"}));
  EXPECT_EQ(ids(index.search("lock", {}, 2)), (std::vector<std::string>{"whole", "other"}));
}

TEST(CommandIndex, ParameterisedActionIsFoundByTheWordsAroundAValue) {
  const CommandIndex index({volumeAction(), command("mixer", "Volume Mixer")});
  const auto hits = index.search("volume 20%", {}, 8);
  // Only the action is matched by its remainder; the plain command must match the whole query.
  ASSERT_EQ(ids(hits), (std::vector<std::string>{"action.Set Volume"}));
  EXPECT_EQ(hits[0].score, 810 + 6 - 4);
  // Toggles alone do not shorten the query.
  EXPECT_EQ(ids(index.search("set volume on", {}, 8)), std::vector<std::string>{});

  // Without a value parser the whole query must match.
  const CommandIndex unparsed({volumeAction()}, {.parseValues = nullptr});
  EXPECT_TRUE(unparsed.search("volume 20%", {}, 8).empty());
  EXPECT_EQ(ids(unparsed.search("volume", {}, 8)), (std::vector<std::string>{"action.Set Volume"}));
}

TEST(CommandIndex, ScriptableCapabilitiesAreScoredByTheirWordsNotTheirTitle) {
  const Capability darkMode{.app = {"System", "com.apple.systemevents",
                                    base::Url::file("/System/Library/CoreServices/System Events.app")},
                            .name = "dark mode",
                            .container = "appearance preferences",
                            .summary = "",
                            .operation = Capability::PropertyOperation{{"aprp", "thme"}},
                            .value = Capability::Value(Capability::Boolean{})};
  Command capability("capability.com.apple.systemevents/aprp.thme", "System: Dark Mode",
                     Command::Kind::capability, "", "", "",
                     target::Definition{definition::ScriptableCapability{darkMode}});
  const CommandIndex index({capability});
  // "turn on" is no part of the title, yet names the capability with "dark mode".
  EXPECT_EQ(ids(index.search("turn on dark mode", {}, 8)),
            (std::vector<std::string>{"capability.com.apple.systemevents/aprp.thme"}));
  EXPECT_TRUE(index.search("light", {}, 8).empty());
}

TEST(CommandIndex, SystemIndexListsAppsThenSettingsThenActions) {
  testing::TemporaryFolder apps;
  std::filesystem::create_directories(apps / "Sound Studio.app");
  testing::FakeSystem system;
  const CommandIndex index = CommandIndex::system(system, disk, {.folders = {apps.path()}, .bundles = {}});
  const auto commands = index.commands();
  ASSERT_EQ(commands.size(), 1u + 47u + 22u);
  EXPECT_EQ(commands[0].title, "Sound Studio");
  EXPECT_EQ(commands[1].kind, Command::Kind::setting);
  EXPECT_EQ(commands[48].kind, Command::Kind::action);
  // Equal prefix scores sort by title; entry order settles the rest.
  EXPECT_EQ(ids(index.search("sound", {}, 2)),
            (std::vector<std::string>{"setting.com.apple.Sound-Settings.extension",
                                      "app." + (apps / "Sound Studio.app").string()}));
}

}  // namespace
}  // namespace quillo::core

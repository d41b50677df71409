#include <gtest/gtest.h>

#include "quillo/core/capabilities/capability_catalog.h"
#include "quillo/core/capabilities/capability_policy.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "scripting_dictionaries.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

using test_support::disk;

using namespace testing_dictionaries;

TEST(CapabilityCatalog, SystemHostGetsItsShortNameAndPolicyHint) {
  testing::TemporaryFolder folder;
  const auto host =
      makeBundle(folder.path(), "System Events", "com.apple.systemevents", "SystemEvents", kHost);
  const auto commands = CapabilityCatalog::commands(disk, {host});
  ASSERT_EQ(commands.size(), 2u);
  const Command& darkMode = commands[0];
  EXPECT_EQ(darkMode.id, "capability.com.apple.systemevents/aprp.thme");
  EXPECT_EQ(darkMode.title, "System: Dark Mode of Appearance Preferences");
  EXPECT_EQ(darkMode.kind, Command::Kind::capability);
  EXPECT_EQ(darkMode.hint,
            "Switch the Mac between the light and the dark appearance: dark mode, light mode, night mode");
  const auto* definition = darkMode.definition();
  ASSERT_NE(definition, nullptr);
  const auto& capability = std::get<definition::ScriptableCapability>(*definition).capability;
  EXPECT_EQ(capability.app,
            (Capability::App{"System", "com.apple.systemevents", base::Url::file(host.string())}));
  // Without a policy hint, the dictionary's description (here none).
  EXPECT_EQ(commands[1].title, "System: Accent of Appearance Preferences");
  EXPECT_EQ(commands[1].hint, "");
}

TEST(CapabilityCatalog, CommandsFollowBundlesThenDictionaries) {
  testing::TemporaryFolder folder;
  const auto player = makeBundle(folder.path(), "Player", "org.example.player", "Player.sdef", kPlayer);
  const auto host = makeBundle(folder.path(), "Host", "org.example.host", "Host", kHost);
  const auto bare = makeBundle(folder.path(), "Bare", "org.example.bare", "", "");
  const auto broken = makeBundle(folder.path(), "Broken", "org.example.broken", "Broken", "<dictionary>");
  const auto commands =
      CapabilityCatalog::commands(disk, {bare, player, folder / "Missing.app", broken, host});
  ASSERT_EQ(commands.size(), 10u);
  EXPECT_EQ(commands[0].id, "capability.org.example.player/plyrplps");
  EXPECT_EQ(commands[0].title, "Player: Play Pause");
  EXPECT_EQ(commands[0].hint, "Play or pause.");
  EXPECT_EQ(commands[7].id, "capability.org.example.player/pRpt");
  EXPECT_EQ(commands[8].id, "capability.org.example.host/aprp.thme");
  EXPECT_EQ(commands[8].title, "Host: Dark Mode of Appearance Preferences");
}

TEST(CapabilityCatalog, TitleCaseKeepsTheRestOfEachWord) {
  EXPECT_EQ(CapabilityCatalog::titled("  play  iTunes queue "), "Play ITunes Queue");
  EXPECT_EQ(CapabilityCatalog::titled("über mode"), "Über Mode");
  EXPECT_EQ(CapabilityCatalog::titled(""), "");
}

TEST(CapabilityPolicy, BlockedWordsAreWholeWordsOfTheName) {
  EXPECT_TRUE(CapabilityPolicy::hasBlockedWord("Delete Playlist"));
  EXPECT_TRUE(CapabilityPolicy::hasBlockedWord("log-out"));
  EXPECT_TRUE(CapabilityPolicy::hasBlockedWord("shut_down"));
  EXPECT_FALSE(CapabilityPolicy::hasBlockedWord("logo maker"));
  EXPECT_FALSE(CapabilityPolicy::hasBlockedWord("formatted text"));
  EXPECT_TRUE(CapabilityPolicy::isBlockedEvent("fndrempt"));
  EXPECT_FALSE(CapabilityPolicy::isBlockedEvent("FNDREMPT"));
  EXPECT_EQ(CapabilityPolicy::words("Night-Shift 2x"), (std::vector<std::string>{"night", "shift", "2x"}));
}

}  // namespace
}  // namespace quillo::core

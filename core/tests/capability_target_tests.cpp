#include <gtest/gtest.h>

#include "quillo/core/capabilities/capability_catalog.h"
#include "quillo/core/capabilities/capability_target.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "scripting_dictionaries.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

using test_support::disk;

using namespace testing_dictionaries;

const Capability kTargetDarkMode{
    .app = {"System", "com.apple.systemevents", base::Url::file("/Hosts/System Events.app")},
    .name = "dark mode",
    .container = "appearance preferences",
    .summary = "",
    .operation = Capability::PropertyOperation{{"aprp", "thme"}},
    .value = Capability::Value(Capability::Boolean{})};
const Capability kTargetAccent{
    .app = kTargetDarkMode.app,
    .name = "accent",
    .container = "appearance preferences",
    .summary = "",
    .operation = Capability::PropertyOperation{{"aprp", "acnt"}},
    .value = Capability::Value(Capability::Enumeration{{{"warm red", "wred"}, {"graphite", "grph"}}})};

const Capability kTargetStart{.app = kTargetDarkMode.app,
                              .name = "start screen saver",
                              .container = std::nullopt,
                              .summary = "",
                              .operation = Capability::CommandOperation{"hostsvst", std::nullopt},
                              .value = std::nullopt};

const Capability kVolumeSetting{.app = kTargetDarkMode.app,
                                .name = "volume",
                                .container = std::nullopt,
                                .summary = "",
                                .operation = Capability::CommandOperation{"hostsvol", "----"},
                                .value = Capability::Value(Capability::Integer{})};

std::optional<int> score(const Capability& capability, std::string_view typed) {
  return CapabilityTarget::of(capability).score(CapabilityQuery::of(typed));
}

TEST(CapabilityQuery, VerbsTogglesAndNumbersAreNotNameWords) {
  EXPECT_EQ(CapabilityQuery::of("Turn ON dark-mode").words, (std::vector<std::string>{"dark", "mode"}));
  EXPECT_EQ(CapabilityQuery::of("set volume to 20%").words, (std::vector<std::string>{"volume", "to"}));
  EXPECT_TRUE(CapabilityQuery::of("switch off").words.empty());
}

TEST(CapabilityTarget, NameWordsInOrderScoreAsATitlePrefixAndElsewhereAsWordStarts) {
  struct Case {
    std::string_view typed;
    int lowest;
    int highest;
  };
  const std::vector<Case> cases = {
      {"dark mode on", 871, 910},     {"turn on dark mode", 871, 910}, {"dark", 871, 910},
      {"system dark mode", 871, 910}, {"dark mo", 871, 910},           {"appearance dark", 801, 819},
      {"mode dark", 801, 819},        {"preferences", 801, 819},
  };
  for (const Case& test : cases) {
    const auto value = score(kTargetDarkMode, test.typed);
    ASSERT_TRUE(value) << test.typed;
    EXPECT_GE(*value, test.lowest) << test.typed;
    EXPECT_LE(*value, test.highest) << test.typed;
  }
  // More of the name typed ranks higher; the application's name neither helps nor hurts.
  EXPECT_GT(*score(kTargetDarkMode, "dark mode"), *score(kTargetDarkMode, "dark"));
  EXPECT_EQ(score(kTargetDarkMode, "system dark mode"), score(kTargetDarkMode, "dark mode"));
  EXPECT_EQ(score(kTargetDarkMode, "dark mode appearance preferences"), 1000);
}

TEST(CapabilityTarget, ScatteredLettersScoreWeakAndOtherWordsNotAtAll) {
  const auto scattered = score(kTargetDarkMode, "drkmd");
  ASSERT_TRUE(scattered);
  EXPECT_LT(*scattered, 800);
  EXPECT_EQ(score(kTargetDarkMode, "light"), std::nullopt);
  EXPECT_EQ(score(kTargetDarkMode, "turn on"), std::nullopt);
  // Naming only the application does not name the capability.
  EXPECT_EQ(score(kTargetDarkMode, "system"), std::nullopt);
  EXPECT_EQ(score(kTargetDarkMode, ""), std::nullopt);
}

TEST(CapabilityTarget, ChoiceWordsAreTheValueNotTheName) {
  EXPECT_EQ(score(kTargetAccent, "accent graphite"), score(kTargetAccent, "accent"));
  EXPECT_EQ(score(kTargetAccent, "accent warm re"), score(kTargetAccent, "accent"));
  EXPECT_EQ(score(kTargetAccent, "graphite"), std::nullopt);
}

TEST(CapabilityTarget, FillerWordsBetweenTheNameAndItsValueAreNotNameWords) {
  const Capability theme{
      .app = kTargetDarkMode.app,
      .name = "theme",
      .container = std::nullopt,
      .summary = "",
      .operation = Capability::PropertyOperation{{"aprp", "thm2"}},
      .value = Capability::Value(Capability::Enumeration{{{"forest", "frst"}, {"sunrise", "snrs"}}})};
  const auto plain = score(theme, "set theme forest");
  ASSERT_TRUE(plain);
  EXPECT_EQ(score(theme, "set theme to forest"), plain);
  EXPECT_EQ(score(theme, "change theme to the sunrise"), plain);
  EXPECT_EQ(score(kVolumeSetting, "make volume to 20"), score(kVolumeSetting, "volume 20"));
}

TEST(CommandIndex, FindsCapabilitiesOfInstalledBundlesByTheirScorer) {
  testing::TemporaryFolder apps;
  makeBundle(apps.path(), "Lumen", "org.example.lumen", "Lumen", kHost);
  makeBundle(apps.path(), "Dark Room", "org.example.darkroom", "", "");
  const testing::FakeSystem system;
  const CommandIndex index = CommandIndex::system(system, disk, {.folders = {apps.path()}, .bundles = {}});
  const auto commands = index.commands();
  EXPECT_EQ(commands.back().id, "capability.org.example.lumen/aprp.acnt");

  for (const std::string_view typed : {"dark mode on", "turn on dark mode", "appearance dark"}) {
    const auto hits = index.search(typed, {}, 3);
    ASSERT_FALSE(hits.empty()) << typed;
    EXPECT_EQ(hits[0].command.id, "capability.org.example.lumen/aprp.thme") << typed;
  }
  // The title "Dark Room" is a whole prefix match and leads; the capability follows.
  const auto dark = index.search("dark", {}, 3);
  ASSERT_GE(dark.size(), 2u);
  EXPECT_EQ(dark[1].command.id, "capability.org.example.lumen/aprp.thme");
  // Words around a typed value still name the capability, which then says it takes none.
  const CommandIndex commandOnly({CapabilityCatalog::command(kTargetStart)});
  const auto delayed = commandOnly.search("start screen saver in 5 seconds", {}, 1);
  ASSERT_EQ(delayed.size(), 1u);
  EXPECT_GE(delayed[0].score, 871);

  // Use lifts a capability as it lifts a title, by at most nine.
  const auto used = index.search("drkmd", {{"capability.org.example.lumen/aprp.thme", 50}}, 1);
  ASSERT_EQ(used.size(), 1u);
  EXPECT_EQ(used[0].score, *score(kTargetDarkMode, "drkmd") + 9);
}

}  // namespace
}  // namespace quillo::core

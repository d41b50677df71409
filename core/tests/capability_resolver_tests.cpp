#include <gtest/gtest.h>

#include "quillo/core/capabilities/capability_resolver.h"
#include "quillo/core/results/result_merger.h"
#include "quillo/core/values/invocation_resolver.h"
#include "quillo/core/values/parameter_parser.h"

namespace quillo::core {
namespace {

const Capability::App kResolverHost{"System", "com.apple.systemevents",
                                    base::Url::file("/Hosts/System Events.app")};

Capability capability(std::string name, Capability::Operation operation,
                      std::optional<Capability::Value> value,
                      std::optional<std::string> container = std::nullopt) {
  return {.app = kResolverHost,
          .name = std::move(name),
          .container = std::move(container),
          .summary = "",
          .operation = std::move(operation),
          .value = std::move(value)};
}

const Capability kDarkMode = capability("dark mode", Capability::PropertyOperation{{"aprp", "thme"}},
                                        Capability::Boolean{}, "appearance preferences");
const Capability kStart =
    capability("start screen saver", Capability::CommandOperation{"hostsvst", std::nullopt}, std::nullopt);
const Capability kVolume =
    capability("volume", Capability::CommandOperation{"hostsvol", "----"}, Capability::Integer{});
const Capability kAccent =
    capability("accent", Capability::PropertyOperation{{"aprp", "acnt"}},
               Capability::Enumeration{{{"warm red", "wred"}, {"cool blue", "cblu"}, {"graphite", "grph"}}},
               "appearance preferences");

std::vector<ResolvedAction> rows(const Capability& of, std::string_view typed, bool presets = true) {
  return CapabilityResolver::rows(of, ParameterParser::parse(typed), presets);
}

std::vector<std::string> details(const std::vector<ResolvedAction>& actions) {
  std::vector<std::string> result;
  for (const ResolvedAction& action : actions)
    result.push_back(action.detail + "|" + action.key);
  return result;
}

ActionInvocation appleEvent(const Capability& of, std::optional<AppleEventCall::Value> value) {
  return invocation::AppleEvent{{of.app, of.operation, std::move(value)}};
}

TEST(CapabilityResolver, CommandWithoutValueRunsAtOnceUnlessAValueIsTyped) {
  const auto now = rows(kStart, "start screen saver");
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0], (ResolvedAction{appleEvent(kStart, std::nullopt), "", "now"}));
  EXPECT_EQ(rows(kStart, "start screen saver on")[0].key, "now");
  EXPECT_EQ(rows(kStart, "start screen saver for 5 minutes")[0].key, "now");
  EXPECT_EQ(rows(kStart, "start screen saver in 5 seconds"),
            (std::vector<ResolvedAction>{{std::nullopt, "Runs at once, and takes no value", "request"}}));
  EXPECT_EQ(rows(kStart, "start screen saver 20%")[0].key, "request");
}

TEST(CapabilityResolver, IntegersTakeNumbersAndPercentagesThatFit) {
  EXPECT_EQ(details(rows(kVolume, "volume 20% 30 20")), (std::vector<std::string>{"20|int.20", "30|int.30"}));
  EXPECT_EQ(rows(kVolume, "volume 7")[0].invocation, appleEvent(kVolume, AppleEventCall::Integer{7}));
  // A clock time is no number; nor is nothing, without presets.
  EXPECT_EQ(details(rows(kVolume, "volume at 4:30")), (std::vector<std::string>{"Type a number|request"}));
  EXPECT_EQ(details(rows(kVolume, "volume", false)), (std::vector<std::string>{"Type a number|request"}));
  EXPECT_TRUE(rows(kVolume, "volume", true).empty());
}

TEST(CapabilityResolver, BooleansFollowTheTypedToggles) {
  EXPECT_EQ(details(rows(kDarkMode, "dark mode on")), (std::vector<std::string>{"Turn on|on"}));
  EXPECT_EQ(rows(kDarkMode, "dark mode on")[0].invocation,
            appleEvent(kDarkMode, AppleEventCall::Boolean{true}));
  EXPECT_EQ(details(rows(kDarkMode, "dark mode off on off")),
            (std::vector<std::string>{"Turn off|off", "Turn on|on"}));
  // Without a toggle: the presets, with "Switch" for a property only.
  EXPECT_EQ(details(rows(kDarkMode, "dark mode")),
            (std::vector<std::string>{"Turn on|on", "Turn off|off", "Switch|flip"}));
  EXPECT_EQ(rows(kDarkMode, "dark mode")[2].invocation, appleEvent(kDarkMode, AppleEventCall::Flipped{}));
  const Capability command =
      capability("mute", Capability::CommandOperation{"hostmute", "----"}, Capability::Boolean{});
  EXPECT_EQ(details(rows(command, "mute")), (std::vector<std::string>{"Turn on|on", "Turn off|off"}));
  EXPECT_EQ(details(rows(kDarkMode, "dark mode", false)),
            (std::vector<std::string>{"Type on or off|request"}));
  EXPECT_EQ(details(rows(kDarkMode, "dark mode 5")), (std::vector<std::string>{"Type on or off|request"}));
}

TEST(CapabilityResolver, EnumerationsOfferTheChoicesTheWordsName) {
  EXPECT_EQ(details(rows(kAccent, "set accent to cool blue")),
            (std::vector<std::string>{"Cool Blue|enum.cblu"}));
  // "to" joins the name to the value; it does not begin a choice.
  const Capability city = capability("city", Capability::PropertyOperation{{"aprp", "city"}},
                                     Capability::Enumeration{{{"tokyo", "tkyo"}, {"oslo", "oslo"}}});
  EXPECT_EQ(details(rows(city, "set city to oslo")), (std::vector<std::string>{"Oslo|enum.oslo"}));
  EXPECT_EQ(rows(kAccent, "accent graph")[0].invocation,
            appleEvent(kAccent, AppleEventCall::Enumerator{"grph"}));
  // Words of the capability's own name never pick a choice.
  EXPECT_EQ(details(rows(kAccent, "appearance accent")),
            (std::vector<std::string>{"Warm Red|enum.wred", "Cool Blue|enum.cblu", "Graphite|enum.grph"}));
  EXPECT_EQ(details(rows(kAccent, "accent purple", false)),
            (std::vector<std::string>{"Type one of: warm red, cool blue, graphite|request"}));
  EXPECT_EQ(details(rows(kAccent, "accent", false)),
            (std::vector<std::string>{"Type one of: warm red, cool blue, graphite|request"}));
  EXPECT_EQ(details(rows(kAccent, "accent 3")),
            (std::vector<std::string>{"Type one of: warm red, cool blue, graphite|request"}));
}

TEST(CapabilityResolver, MergedRowsTreatTogglesAsWordsForCapabilitiesOnlyTheServiceFound) {
  // The merger resolves through the invocation resolver, which hands capabilities to this one.
  const Command darkMode("capability.com.apple.systemevents/aprp.thme",
                         "System: Dark Mode of Appearance Preferences", Command::Kind::capability, "", "", "",
                         target::Definition{definition::ScriptableCapability{kDarkMode}});
  SemanticResult semantic;
  semantic.hits = {{darkMode, 0.9}};
  MergeInput input{.semantic = &semantic, .query = ParameterParser::parse("night on"), .offersPresets = true};
  std::vector<std::string> found;
  for (const ResultRow& row : ResultMerger::merge(input))
    found.push_back(row.detail() + "|" + row.action->key);
  EXPECT_EQ(found, (std::vector<std::string>{"Turn on|on", "Turn off|off", "Switch|flip"}));

  input.local = {{darkMode, 890}};
  found.clear();
  for (const ResultRow& row : ResultMerger::merge(input))
    found.push_back(row.detail() + "|" + row.action->key);
  EXPECT_EQ(found, (std::vector<std::string>{"Turn on|on"}));
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace {

using quillo::cli::testing::CliRun;
using quillo::testing::TemporaryFolder;
using quillo::testing::writeFile;

// A desk-lamp application, written for these tests, with an appearance object and a few commands.
constexpr std::string_view kLamp = R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary title="Lamp Terminology">
  <suite name="Lamp Suite" code="lmps">
    <enumeration name="glow">
      <enumerator name="candle" code="gcnd"/>
      <enumerator name="daylight" code="gday"/>
    </enumeration>
    <command name="blink" code="lmpsblnk" description="Blink once."/>
    <command name="dim to" code="lmpsdimt">
      <direct-parameter type="integer"/>
    </command>
    <command name="remove bulb" code="lmpsrmbl"/>
    <class name="application" code="capp">
      <property name="appearance preferences" code="aprp" type="appearance preferences object" access="r"/>
      <property name="glow" code="pGlw" type="glow"/>
    </class>
    <class name="appearance preferences object" code="apro">
      <property name="dark mode" code="thme" type="boolean"/>
    </class>
  </suite>
</dictionary>
)";

std::string makeLamp(const TemporaryFolder& folder) {
  const auto bundle = folder / "Lamp.app";
  writeFile(bundle / "Contents" / "Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>org.example.lamp</string>
<key>CFBundleDisplayName</key><string>Desk Lamp</string>
<key>OSAScriptingDefinition</key><string>Lamp</string>
</dict></plist>
)");
  writeFile(bundle / "Contents" / "Resources" / "Lamp.sdef", kLamp);
  return bundle.string();
}

using CapabilitiesCommand = quillo::cli::testing::CliFixture;

TEST_F(CapabilitiesCommand, ListsWhatBundlesAdd) {
  const TemporaryFolder apps;
  const std::string lamp = makeLamp(apps);
  writeFile(apps / "Plain.app" / "Contents" / "Info.plist", "<plist><dict/></plist>");
  const auto list = json("capabilities --json '" + lamp + "' '" + (apps / "Plain.app").string() + "'");
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], (nlohmann::json{{"id", "capability.org.example.lamp/lmpsblnk"},
                                     {"title", "Desk Lamp: Blink"},
                                     {"hint", "Blink once."},
                                     {"value", nullptr},
                                     {"choices", nullptr},
                                     {"bundleID", "org.example.lamp"},
                                     {"bundle", lamp}}));
  EXPECT_EQ(list[1]["value"], "integer");
  // A preference object's properties come where the dictionary declares the object.
  EXPECT_EQ(list[2]["title"], "Desk Lamp: Dark Mode of Appearance Preferences");
  EXPECT_EQ(list[2]["value"], "boolean");
  EXPECT_EQ(list[3]["id"], "capability.org.example.lamp/pGlw");
  EXPECT_EQ(list[3]["choices"], (nlohmann::json{"candle", "daylight"}));

  const CliRun text = run("capabilities '" + lamp + "'");
  EXPECT_NE(text.output.find("capability.org.example.lamp/pGlw  Desk Lamp: Glow  [enumeration]\n"
                             "    Type one of: candle, daylight\n"),
            std::string::npos)
      << text.output;
  EXPECT_EQ(run("capabilities").status, 2);
}

TEST_F(CapabilitiesCommand, SearchFindsAndResolvesCapabilityRows) {
  const TemporaryFolder apps;
  makeLamp(apps);
  const std::string options = "search --json --applications '" + apps.path().string() + "' ";

  const auto on = json(options + "'dark mode on'")["rows"];
  ASSERT_FALSE(on.empty());
  EXPECT_EQ(on[0]["id"], "capability.org.example.lamp/aprp.thme");
  EXPECT_EQ(on[0]["kind"], "App Action");
  EXPECT_EQ(on[0]["detail"], "Turn on");
  EXPECT_EQ(on[0]["action"]["invocation"]["appleEvent"],
            (nlohmann::json{{"bundleID", "org.example.lamp"},
                            {"operation", {{"property", {"aprp", "thme"}}}},
                            {"value", {{"boolean", true}}}}));

  const auto choices = json(options + "'turn on dark mode'")["rows"];
  ASSERT_FALSE(choices.empty());
  EXPECT_EQ(choices[0]["rowId"], "capability.org.example.lamp/aprp.thme#on");

  const auto offered = json(options + "'dark mode'")["rows"];
  ASSERT_GE(offered.size(), 3u);
  EXPECT_EQ(offered[0]["detail"], "Turn on");
  EXPECT_EQ(offered[1]["detail"], "Turn off");
  EXPECT_EQ(offered[2]["detail"], "Switch");
  EXPECT_EQ(offered[2]["action"]["invocation"]["appleEvent"]["value"], (nlohmann::json{{"flipped", true}}));

  const auto glow = json(options + "'glow daylight'")["rows"];
  ASSERT_FALSE(glow.empty());
  EXPECT_EQ(glow[0]["rowId"], "capability.org.example.lamp/pGlw#enum.gday");
  EXPECT_EQ(glow[0]["detail"], "Daylight");

  // "remove" is a blocked word: that command is never offered.
  EXPECT_EQ(json(options + "'remove bulb'")["rows"].size(), 0u);
}

}  // namespace

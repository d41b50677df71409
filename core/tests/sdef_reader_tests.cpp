#include <gtest/gtest.h>

#include "quillo/core/capabilities/sdef_reader.h"
#include "scripting_dictionaries.h"

namespace quillo::core {
namespace {

using namespace testing_dictionaries;

const Capability::App kApp{"Player", "org.example.player", base::Url::file("/Applications/Player.app")};

std::vector<std::string> names(const std::vector<Capability>& capabilities) {
  std::vector<std::string> result;
  for (const Capability& capability : capabilities)
    result.push_back(capability.name);
  return result;
}

const Capability* named(const std::vector<Capability>& capabilities, std::string_view name) {
  for (const Capability& capability : capabilities) {
    if (capability.name == name) return &capability;
  }
  return nullptr;
}

TEST(SdefReader, ReadsSimpleCommandsAndSettablePropertiesInDictionaryOrder) {
  // Standard-suite codes, a seven-character code, a blocked word, two required inputs, a text
  // input, a hidden input, a list type, read-only, text and hidden properties all fall away.
  EXPECT_EQ(names(SdefReader::capabilities(kPlayer, kApp)),
            (std::vector<std::string>{"play pause", "next track", "shuffle later", "jump", "seek", "mute",
                                      "sound volume", "repeat"}));
}

TEST(SdefReader, CommandInputsBecomeOperationAndValue) {
  const auto capabilities = SdefReader::capabilities(kPlayer, kApp);
  const Capability* playPause = named(capabilities, "play pause");
  ASSERT_NE(playPause, nullptr);
  EXPECT_EQ(playPause->operation,
            Capability::Operation(Capability::CommandOperation{"plyrplps", std::nullopt}));
  EXPECT_EQ(playPause->value, std::nullopt);
  EXPECT_EQ(playPause->summary, "Play or pause.");
  EXPECT_EQ(playPause->app, kApp);

  // One optional parameter and no direct parameter: a command without value.
  const Capability* shuffle = named(capabilities, "shuffle later");
  ASSERT_NE(shuffle, nullptr);
  EXPECT_EQ(shuffle->operation,
            Capability::Operation(Capability::CommandOperation{"plyrshuf", std::nullopt}));
  EXPECT_EQ(shuffle->value, std::nullopt);

  // A direct parameter without a code travels as "----".
  EXPECT_EQ(named(capabilities, "jump")->operation,
            Capability::Operation(Capability::CommandOperation{"plyrjump", "----"}));
  EXPECT_EQ(named(capabilities, "seek")->operation,
            Capability::Operation(Capability::CommandOperation{"plyrseek", "posn"}));
  EXPECT_EQ(named(capabilities, "seek")->value, Capability::Value(Capability::Integer{}));
}

TEST(SdefReader, PropertiesOfTheApplicationAndItsExtensions) {
  const auto capabilities = SdefReader::capabilities(kPlayer, kApp);
  // Without "access" a property is read-write.
  const Capability* mute = named(capabilities, "mute");
  ASSERT_NE(mute, nullptr);
  EXPECT_EQ(mute->operation, Capability::Operation(Capability::PropertyOperation{{"pMut"}}));
  EXPECT_EQ(mute->value, Capability::Value(Capability::Boolean{}));
  EXPECT_EQ(mute->container, std::nullopt);
  // The type may be a child element.
  EXPECT_EQ(named(capabilities, "sound volume")->value, Capability::Value(Capability::Integer{}));
  // Enumerators without a code are dropped.
  EXPECT_EQ(
      named(capabilities, "repeat")->value,
      Capability::Value(Capability::Enumeration{{{"off", "rpof"}, {"one song", "rp1 "}, {"all", "rpal"}}}));
}

TEST(SdefReader, NestedPreferenceObjectsAndThePolicy) {
  const auto capabilities = SdefReader::capabilities(kHost, kApp);
  // The security object and the frontmost flag are blocked; the read-only size is skipped.
  ASSERT_EQ(names(capabilities), (std::vector<std::string>{"dark mode", "accent"}));
  EXPECT_EQ(capabilities[0].operation,
            Capability::Operation(Capability::PropertyOperation{{"aprp", "thme"}}));
  EXPECT_EQ(capabilities[0].container, "appearance preferences");
  EXPECT_EQ(capabilities[0].summary, "Whether dark mode is on.");
  EXPECT_EQ(capabilities[1].value, Capability::Value(Capability::Enumeration{
                                       {{"warm red", "wred"}, {"cool blue", "cblu"}, {"graphite", "grph"}}}));
}

TEST(SdefReader, GuardedOrBrokenDocumentsYieldNothing) {
  // UTF-16 with either byte-order mark.
  std::string utf16le("\xFF\xFE", 2);
  std::string utf16be("\xFE\xFF", 2);
  for (const char c : std::string_view("<dictionary/>")) {
    utf16le += {c, '\0'};
    utf16be += {'\0', c};
  }
  EXPECT_TRUE(SdefReader::capabilities(utf16le, kApp).empty());
  EXPECT_TRUE(SdefReader::capabilities(utf16be, kApp).empty());

  // An entity declaration, however harmless the rest of the document.
  std::string withEntity(kPlayer);
  withEntity.insert(withEntity.find("<dictionary"), "<!DOCTYPE dictionary [<!ENTITY lol \"lol\">]>\n");
  EXPECT_TRUE(SdefReader::capabilities(withEntity, kApp).empty());

  EXPECT_TRUE(SdefReader::capabilities("", kApp).empty());
  EXPECT_TRUE(SdefReader::capabilities("<dictionary><suite name=\"x\">", kApp).empty());
  EXPECT_TRUE(SdefReader::capabilities(std::string_view("\0\0\0\0", 4), kApp).empty());
  EXPECT_TRUE(SdefReader::capabilities("<plist/>", kApp).empty());
}

TEST(SdefReader, DictionaryPathFollowsTheInfoPlist) {
  testing::TemporaryFolder folder;
  const auto plain = makeBundle(folder.path(), "Plain", "org.example.plain", "Plain", kPlayer);
  EXPECT_EQ(SdefReader::dictionaryPath(plain), plain / "Contents" / "Resources" / "Plain.sdef");
  const auto named = makeBundle(folder.path(), "Named", "org.example.named", "Terms.xml", kPlayer);
  EXPECT_EQ(SdefReader::dictionaryPath(named), named / "Contents" / "Resources" / "Terms.xml");
  EXPECT_EQ(SdefReader::dictionaryPath(makeBundle(folder.path(), "None", "org.example.none", "", "")),
            std::nullopt);
  EXPECT_EQ(
      SdefReader::dictionaryPath(makeBundle(folder.path(), "Climb", "org.example.climb", "../../x.sdef", "")),
      std::nullopt);
  EXPECT_EQ(SdefReader::dictionaryPath(folder / "Missing.app"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

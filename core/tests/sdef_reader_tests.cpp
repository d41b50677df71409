#include <gtest/gtest.h>

#include "quillo/core/capabilities/sdef_reader.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "scripting_dictionaries.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

using test_support::disk;

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

TEST(SdefReader, CommandInputsAndPropertyTypesBecomeOperationAndValue) {
  using Operation = Capability::Operation;
  using Command = Capability::CommandOperation;
  using Property = Capability::PropertyOperation;
  const auto capabilities = SdefReader::capabilities(kPlayer, kApp);
  const std::vector<std::tuple<std::string, Operation, std::optional<Capability::Value>>> cases = {
      {"play pause", Command{"plyrplps", std::nullopt}, std::nullopt},
      // One optional parameter and no direct parameter: a command without value.
      {"shuffle later", Command{"plyrshuf", std::nullopt}, std::nullopt},
      // A direct parameter without a code travels as "----".
      {"jump", Command{"plyrjump", "----"}, Capability::Integer{}},
      {"seek", Command{"plyrseek", "posn"}, Capability::Integer{}},
      // Without "access" a property is read-write.
      {"mute", Property{{"pMut"}}, Capability::Boolean{}},
      // The type may be a child element.
      {"sound volume", Property{{"pVol"}}, Capability::Integer{}},
      // Enumerators without a code are dropped.
      {"repeat", Property{{"pRpt"}},
       Capability::Enumeration{{{"off", "rpof"}, {"one song", "rp1 "}, {"all", "rpal"}}}},
  };
  for (const auto& [name, operation, value] : cases) {
    const Capability* capability = named(capabilities, name);
    ASSERT_NE(capability, nullptr) << name;
    EXPECT_EQ(capability->operation, operation) << name;
    EXPECT_EQ(capability->value, value) << name;
    EXPECT_EQ(capability->container, std::nullopt) << name;
    EXPECT_EQ(capability->app, kApp) << name;
  }
  EXPECT_EQ(named(capabilities, "play pause")->summary, "Play or pause.");
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
  EXPECT_EQ(SdefReader::dictionaryPath(disk, plain), plain / "Contents" / "Resources" / "Plain.sdef");
  const auto named = makeBundle(folder.path(), "Named", "org.example.named", "Terms.xml", kPlayer);
  EXPECT_EQ(SdefReader::dictionaryPath(disk, named), named / "Contents" / "Resources" / "Terms.xml");
  EXPECT_EQ(SdefReader::dictionaryPath(disk, makeBundle(folder.path(), "None", "org.example.none", "", "")),
            std::nullopt);
  EXPECT_EQ(SdefReader::dictionaryPath(
                disk, makeBundle(folder.path(), "Climb", "org.example.climb", "../../x.sdef", "")),
            std::nullopt);
  EXPECT_EQ(SdefReader::dictionaryPath(disk, folder / "Missing.app"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

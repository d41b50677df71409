#include <gtest/gtest.h>

#include "quillo/base/characters.h"

namespace quillo::base {
namespace {

TEST(Characters, CountsGraphemeClusters) {
  EXPECT_EQ(characterCount(""), 0u);
  EXPECT_EQ(characterCount("abc"), 3u);
  EXPECT_EQ(characterCount("e\xCC\x81t\xC3\xA9"), 3u);                 // e + combining acute, t, é
  EXPECT_EQ(characterCount("\xF0\x9F\x87\xA8\xF0\x9F\x87\xAD!"), 2u);  // a flag and "!"
}

TEST(Characters, CarriageReturnAndLineFeedAreOneCharacter) {
  EXPECT_EQ(characterCount("a\r\nb"), 3u);
  EXPECT_EQ(characterCount("a\n\rb"), 4u);
}

TEST(Characters, IllFormedBytesCountAsOneCharacterEach) {
  EXPECT_EQ(characterCount("a\xFF\xFE"), 3u);
}

TEST(Characters, MoreThanALimitCountsWholeCharacters) {
  EXPECT_FALSE(hasMoreCharactersThan("e\xCC\x81t\xC3\xA9", 3));
  EXPECT_TRUE(hasMoreCharactersThan("e\xCC\x81t\xC3\xA9!", 3));
  EXPECT_FALSE(hasMoreCharactersThan("", 0));
  EXPECT_TRUE(hasMoreCharactersThan("a", 0));
}

TEST(Characters, PrefixKeepsWholeCharacters) {
  EXPECT_EQ(characterPrefix("e\xCC\x81tude", 2), "e\xCC\x81t");
  EXPECT_EQ(characterPrefix("ab", 5), "ab");
  EXPECT_EQ(characterPrefix("ab", 0), "");
}

TEST(Characters, PrefixWithinBytesNeverSplitsACharacter) {
  // The flag is eight bytes: a budget of seven keeps only "a".
  EXPECT_EQ(characterPrefixWithinBytes("a\xF0\x9F\x87\xA8\xF0\x9F\x87\xAD", 8), "a");
  EXPECT_EQ(characterPrefixWithinBytes("a\xF0\x9F\x87\xA8\xF0\x9F\x87\xAD", 9),
            "a\xF0\x9F\x87\xA8\xF0\x9F\x87\xAD");
}

TEST(Characters, ClustersAreTheCharactersInOrder) {
  EXPECT_EQ(characterClusters("e\xCC\x81x\r\n"), (std::vector<std::string>{"e\xCC\x81", "x", "\r\n"}));
}

}  // namespace
}  // namespace quillo::base

#include <gtest/gtest.h>

#include <string>

#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

std::optional<int> score(std::string_view query, std::string_view title) {
  return FuzzyMatcher::score(FuzzyMatcher::prepare(query), MatchTarget(title));
}

TEST(FuzzyMatcher, WholeTitleScoresThousandIgnoringSeparators) {
  EXPECT_EQ(score("safari", "Safari"), 1000);
  EXPECT_EQ(score("lockscreen", "Lock Screen"), 1000);
  EXPECT_EQ(score("lock", "Lock "), 1000);
  EXPECT_EQ(score("lock", "Lock -_.:"), 1000);
}

TEST(FuzzyMatcher, TitlePrefixLosesHalfTheLengthCappedAtSixty) {
  EXPECT_EQ(score("lock", "Lock Screen"), 900 + 4 - 5);
  // A separator skipped inside the match costs one point.
  EXPECT_EQ(score("lockscreen", "Lock Screen Settings"), 900 + 10 - 10 - 1);
  const std::string sixty = "Lock" + std::string(56, 'x');
  EXPECT_EQ(score("lock", sixty), 900 + 4 - 30);
  EXPECT_EQ(score("lock", sixty + std::string(100, 'x')), score("lock", sixty));
  EXPECT_EQ(score(std::string(30, 'a'), std::string(31, 'a')), 900 + 20 - 15);
}

TEST(FuzzyMatcher, LaterWordStartLosesItsPosition) {
  EXPECT_EQ(score("screen", "Lock Screen"), 810 + 6 - 5);
  EXPECT_EQ(score("vol", "Set Volume"), 810 + 3 - 4);
  // The best word start wins, and positions past ten cost no more.
  EXPECT_EQ(score("ab", "ab-x ab"), 900 + 2 - 3);
  EXPECT_EQ(score("ab", "xx abc yyyyyyyyyy abd"), 810 + 2 - 3);
  EXPECT_EQ(score("zz", "aaaaaaaaaaaaaaaaaaaa zz"), 810 + 2 - 10);
}

TEST(FuzzyMatcher, EverySeparatorStartsAWord) {
  for (const std::string separator : {" ", "-", ".", "_", ":"}) {
    EXPECT_EQ(score("b", "a" + separator + "b"), 810 + 1 - 2) << "separator '" << separator << "'";
  }
  // A capital letter inside a word is not a word start: the text is lower-cased first.
  EXPECT_LT(*score("p", "iPhone"), FuzzyMatcher::strongMatch);
  // Other punctuation does not separate words.
  EXPECT_LT(*score("b", "a/b"), FuzzyMatcher::strongMatch);
}

TEST(FuzzyMatcher, ScatteredMatchPrefersWordStartsAndContiguity) {
  // "l" at 0 and "s" at 5, both word starts: 2 x (16 + 30), less floor(9 / 4).
  EXPECT_EQ(score("ls", "Lock Screen"), 92 - 2);
  // Contiguous letters inside a word: 16 + (16 + 20).
  EXPECT_EQ(score("oc", "Lock"), 52 - 0);
  // Preferring word starts takes the "e" of "Edit" over the earlier one inside "Note".
  EXPECT_EQ(score("ne", "Note Edit"), (16 + 30) + (16 + 30) - 1);
  EXPECT_EQ(score("sv", "Set Volume"), (16 + 30) + (16 + 30) - 2);
  // However long, a scattered match never reaches the strong band...
  const std::string alphabet = "abcdefghijklmnopqrstuvwxy";
  EXPECT_EQ(score(alphabet, "x" + alphabet), FuzzyMatcher::strongMatch - 1);
  // ...and a short one in a long title goes below zero yet still matches.
  EXPECT_EQ(score("qz", "q" + std::string(400, 'x') + "z"), (16 + 30) + 16 - (402 - 2) / 4);
  EXPECT_LT(*score("qz", "q" + std::string(400, 'x') + "z"), 0);
}

TEST(FuzzyMatcher, NoMatch) {
  EXPECT_EQ(score("safari!", "Safari"), std::nullopt);  // longer than the title
  EXPECT_EQ(score("", "Safari"), std::nullopt);
  EXPECT_EQ(score("   ", "Safari"), std::nullopt);
  EXPECT_EQ(score("a", ""), std::nullopt);
  EXPECT_EQ(score("ba", "ab"), std::nullopt);  // out of order
  // The space gives "Set Volume" the signature's catch-all bit, but no "%" is there.
  EXPECT_EQ(score("%", "Set Volume"), std::nullopt);
  // A digit the title lacks is rejected by the signature alone.
  EXPECT_EQ(score("vol2", "Set Volume"), std::nullopt);
}

TEST(FuzzyMatcher, PrepareLowercasesFullyAndDropsOnlySpaces) {
  EXPECT_EQ(FuzzyMatcher::prepare(" Keep  Awake ").scalars, U"keepawake");
  EXPECT_EQ(FuzzyMatcher::prepare("a\tb.c").scalars, U"a\tb.c");
  EXPECT_EQ(FuzzyMatcher::prepare("\xC4\xB0").scalars, U"i\u0307");
  EXPECT_TRUE(FuzzyMatcher::prepare("  ").empty());
}

TEST(FuzzyMatcher, TargetKeepsSpacesAndMarksWordStarts) {
  const MatchTarget target("Go To:Line_2");
  EXPECT_EQ(target.scalars, U"go to:line_2");
  const std::vector<bool> starts{true, false, false, true,  false, false,
                                 true, false, false, false, false, true};
  EXPECT_EQ(target.wordStart, starts);
  EXPECT_EQ(target.bits, FuzzyMatcher::bits(U"go to:line_2"));
  EXPECT_NE(target.bits & (std::uint64_t{1} << 63), 0u);
  EXPECT_NE(target.bits & (std::uint64_t{1} << (26 + 2)), 0u);
  EXPECT_FALSE(MatchTarget(" a").wordStart[0]);
}

TEST(FuzzyMatcher, NonAsciiLettersMatchByThemselves) {
  EXPECT_EQ(score("été", "Été Photos"), 900 + 3 - 5);
  EXPECT_EQ(score("ETE", "Été"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fuzzy.h"

namespace fff {
namespace {

// The search skips aligning names whose ceiling cannot beat what it already holds; a ceiling
// below a real score would silently drop good matches.
TEST(FuzzyScore, NameCeilingBoundsEveryAlignment) {
  std::mt19937 random(7);
  const std::string alphabet = "abAB_-. 1";
  for (int round = 0; round < 20000; ++round) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k)
      name += alphabet[random() % alphabet.size()];
    // The query: a random subsequence of the lower-cased name, spaces dropped.
    std::string raw;
    for (char c : name)
      if (random() % 2 == 0) raw += c;
    const Query query = prepareQuery(raw, false);
    if (query.size() == 0 || advance(query, name, 0) != query.size()) continue;
    const int score = alignmentScore(query, name, name, 0);
    ASSERT_LE(score, maxNameAlignment(query.size())) << "name '" << name << "' query '" << raw << "'";
  }
}

TEST(FuzzyScore, AdvanceIsAnExactSubsequenceTest) {
  const Query query = prepareQuery("Rep", false);
  EXPECT_EQ(advance(query, "report.pdf", 0), 3u);
  EXPECT_EQ(advance(query, "REPORT", 0), 3u);
  EXPECT_EQ(advance(query, "server_12.png", 0), 3u);
  EXPECT_EQ(advance(query, "per", 0), 1u);
  // Long texts take the eight-bytes-at-a-time path, case folded there too.
  EXPECT_EQ(advance(query, "xxxxxxxxxxxxxxxxxxxxxxxxRxxxxxxxxxxxxxxxEyyyyyyyyyyyyyyyyyyyyp", 0), 3u);
  EXPECT_EQ(advance(query, "xxxxxxxxxxxxxxxxxxxxxxxxRxxxxxxxxxxxxxxxEyyyyyyyyyyyyyyyyyyyyy", 0), 2u);
  // Bytes above 0x7f never match a letter through case folding.
  EXPECT_EQ(advance(prepareQuery("r", false), "\xd2\xf2\x52", 0), 1u);
  EXPECT_EQ(advance(prepareQuery("r", false), "\xd2\xf2\xd2\xf2\xd2\xf2\xd2\xf2\xd2", 0), 0u);
  const Query exact = prepareQuery("Rep", true);
  EXPECT_EQ(advance(exact, "report", 0), 0u);
  EXPECT_EQ(advance(exact, "Report", 0), 3u);
}

TEST(FuzzyScore, ConsecutiveAndWordStartsScoreHigher) {
  const Query query = prepareQuery("fb", false);
  EXPECT_GT(alignmentScore(query, "foo_bar", "foo_bar", 0), alignmentScore(query, "fabric", "fabric", 0));
  EXPECT_GT(alignmentScore(query, "foobar", "FooBar", 0), alignmentScore(query, "foobar", "foobar", 0));
  EXPECT_GT(alignmentScore(query, "fb", "fb", 0), alignmentScore(query, "f_b", "f_b", 0));
}

}  // namespace
}  // namespace fff

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fuzzy.h"

namespace fff {
namespace {

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

// Random names of up to `maxLength` bytes: both cases, separators, digits, and bytes above 0x7f (a
// two-byte letter and a lone continuation byte, as names that are not UTF-8 have).
std::string randomName(std::mt19937& random, std::size_t maxLength) {
  static const std::vector<std::string> pieces = {"a", "b", "c", "A", "B",        "C",    "_", "-",
                                                  ".", " ", "1", "9", "\xc3\xa4", "\x80", "z", "Z"};
  std::string name;
  const std::size_t length = 1 + random() % maxLength;
  while (name.size() < length) {
    const std::string& piece = pieces[random() % pieces.size()];
    if (name.size() + piece.size() > maxLength) break;
    name += piece;
  }
  return name.empty() ? "a" : name;
}

// A query for `name`: a random subsequence of it, or (when `unrelated`) random bytes.
std::string queryFor(std::mt19937& random, const std::string& name, bool unrelated) {
  if (unrelated) return randomName(random, 4);
  std::string raw;
  for (char c : name)
    if (random() % 3 == 0) raw += c;
  return raw;
}

// The search skips aligning names whose ceiling cannot beat what it already holds; a ceiling
// below a real score would silently drop good matches.
TEST(FuzzyScore, NameCeilingBoundsEveryAlignment) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string name = randomName(random, 12);
    const std::string raw = queryFor(random, name, false);
    const Query query = prepareQuery(raw, false);
    if (query.size() == 0 || advance(query, name, 0) != query.size()) continue;
    ASSERT_LE(alignmentScore(query, name, name, 0), maxNameAlignment(query.size()))
        << "name '" << name << "' query '" << raw << "'";
  }
}

// The mask-based forms used for names of up to 64 bytes must agree exactly with the walk over
// the text and with the full score table: rankings depend on every point of the score.
TEST(FuzzyScore, ShortTextFormsAgreeWithTheGeneralOnes) {
  std::mt19937 random(11);
  for (int round = 0; round < 40000; ++round) {
    const bool matchCase = round % 3 == 0;
    std::string name = randomName(random, round % 2 == 0 ? 64 : 20);
    const std::string raw = queryFor(random, name, round % 4 == 0);
    const Query query = prepareQuery(raw, matchCase);
    const std::string_view view(name);
    const std::size_t tail = tailStart(query, view);
    for (std::size_t from = 0; from <= query.size(); ++from)
      ASSERT_EQ(advance(query, view, from) == query.size(), from >= tail) << name << " / " << raw;
    // ShortText reads whole blocks from the start; what follows the name must not count.
    const std::string padded = name + std::string(64, 'a');
    const auto check = [&](const auto& text) {
      for (std::size_t from = 0; from <= query.size(); ++from)
        ASSERT_EQ(advance(query, text, from), advance(query, view, from)) << name << " / " << raw;
      ASSERT_EQ(tailStart(query, text), tail) << name << " / " << raw;
      if (advance(query, view, 0) != query.size()) return;
      for (const std::size_t nameStart : {std::size_t{0}, random() % name.size()})
        ASSERT_EQ(alignmentScore(query, text, view, view, nameStart),
                  alignmentScore(query, view, view, nameStart))
            << name << " / " << raw << " from " << nameStart;
    };
    check(ShortText<64>(padded.data(), name.size(), !matchCase));
    if (name.size() <= 32) check(ShortText<32>(padded.data(), name.size(), !matchCase));
  }
}

}  // namespace
}  // namespace fff

#include <gtest/gtest.h>

#include <random>

#include "quillo/core/index/command_index.h"
#include "quillo/core/matching/title_filter.h"

namespace quillo::core {
namespace {

// Titles of the kinds a file list holds, including upper case, separators, digits and letters
// whose lower case is longer or lands in ASCII (dotted capital I, the Kelvin sign).
std::vector<std::string> randomTitles(std::size_t count, unsigned seed) {
  const std::vector<std::string> pieces{"a", "b", "C", "d", "E",  "l",  "o",    "s",   "/",   "-",
                                        ".", "_", ":", " ", "1",  "2",  "conf", "Lib", "gtk", "Widget",
                                        "é", "İ", "K", "ß", "\t", "py", "init", "usr", "Ω",   "%"};
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> length(0, 14);
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::vector<std::string> titles(count);
  for (std::string& title : titles) {
    const std::size_t words = length(random);
    for (std::size_t i = 0; i < words; ++i)
      title += pieces[piece(random)];
  }
  return titles;
}

// What the command index says for the same titles.
std::vector<TitleHit> indexHits(const std::vector<std::string>& titles, std::string_view query,
                                std::size_t limit) {
  std::vector<Command> commands;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    commands.emplace_back(std::to_string(i), titles[i], Command::Kind::file, "", "", "", target::Shell{""});
  }
  std::vector<TitleHit> hits;
  for (const LocalHit& hit : CommandIndex(std::move(commands)).search(query, {}, limit)) {
    hits.push_back({std::stoul(hit.command.id), hit.score});
  }
  return hits;
}

TEST(TitleFilter, MatchesTheCommandIndexExactly) {
  const auto titles = randomTitles(20000, 7);
  const std::vector<std::string_view> views(titles.begin(), titles.end());
  for (const std::string query :
       {"l", "conf", "gtkwidget", "CL", "i", "k", "é", "s-1", "a b", "%", "lib/py", "zzz"}) {
    for (const unsigned threads : {1u, 3u}) {
      SCOPED_TRACE("query '" + query + "', threads " + std::to_string(threads));
      EXPECT_EQ(filterTitles(views, query, {.threads = threads}), indexHits(titles, query, titles.size()));
      EXPECT_EQ(filterTitles(views, query, {.limit = 25, .threads = threads}), indexHits(titles, query, 25));
    }
  }
}

TEST(TitleFilter, EmptyQueryOrLimitMatchesNothing) {
  const std::vector<std::string_view> titles{"a", "b"};
  EXPECT_TRUE(filterTitles(titles, "").empty());
  EXPECT_TRUE(filterTitles(titles, "  ").empty());
  EXPECT_TRUE(filterTitles(titles, "a", {.limit = 0}).empty());
  EXPECT_TRUE(filterTitles({}, "a").empty());
}

TEST(TitleFilter, EqualTitlesKeepInputOrder) {
  const std::vector<std::string_view> titles{"lock", "Lock", "lock", "block"};
  const auto hits = filterTitles(titles, "lock");
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_EQ(hits[0], (TitleHit{1, 1000}));  // "Lock" sorts before "lock" in code point order
  EXPECT_EQ(hits[1], (TitleHit{0, 1000}));
  EXPECT_EQ(hits[2], (TitleHit{2, 1000}));
  EXPECT_EQ(hits[3].position, 3u);
}

}  // namespace
}  // namespace quillo::core

#include <gtest/gtest.h>

#include "quillo/core/commands/result_row.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {
namespace {

const SearchSite& siteNamed(std::string_view id) {
  for (const SearchSite& site : WebSearch::sites()) {
    if (site.id == id) return site;
  }
  throw std::out_of_range(std::string(id));
}

std::string urlOf(const Command& command) {
  return std::get<target::OpenUrl>(command.target).url.text;
}

TEST(WebSearch, TwelveSitesGeneralSearchFirst) {
  const auto& sites = WebSearch::sites();
  ASSERT_EQ(sites.size(), 12u);
  EXPECT_EQ(sites.front().id, "google");
  for (const SearchSite& site : sites) {
    EXPECT_NE(site.searchTemplate.find("{terms}"), std::string::npos) << site.id;
    EXPECT_TRUE(site.searchTemplate.starts_with("https://")) << site.id;
    EXPECT_TRUE(site.home.starts_with("https://")) << site.id;
  }
  EXPECT_TRUE(siteNamed("maps").searchTemplate.starts_with(siteNamed("google").home));
}

TEST(WebSearch, BangAtEitherEndIgnoringCaseAndAloneOpensTheHomePage) {
  for (const std::string query : {"!yt cats", "cats !yt", "!YT cats", "  !yt   cats  "}) {
    const auto hit = WebSearch::bang(query);
    ASSERT_TRUE(hit) << query;
    EXPECT_EQ(hit->site.id, "youtube");
    EXPECT_EQ(hit->probability, std::nullopt);
    EXPECT_EQ(WebSearch::command(*hit, query).detail, "cats") << query;
  }
  EXPECT_FALSE(WebSearch::bang("!xyz cats"));
  EXPECT_FALSE(WebSearch::bang("cats ! yt"));
  EXPECT_FALSE(WebSearch::bang("cats"));
  EXPECT_FALSE(WebSearch::bang(""));
  // A bang alone at the end needs words before it to be read from the end; alone, it opens the site.
  const auto lone = WebSearch::bang("!w");
  EXPECT_EQ(lone->words, (WordRange{1, 1}));
  const Command home = WebSearch::command(*lone, "!w");
  EXPECT_EQ(home.title, "Open Wikipedia");
  EXPECT_EQ(urlOf(home), siteNamed("wikipedia").home);
  EXPECT_EQ(home.detail, "");
}

TEST(WebSearch, CommandEncodesTermsWithTheUnreservedSetOnly) {
  const std::string query = "!g salt + pepper & more -._~ é";
  const Command command = WebSearch::command(*WebSearch::bang(query), query);
  EXPECT_EQ(command.id, "web.google");
  EXPECT_EQ(command.title, "Search Google");
  EXPECT_EQ(command.kind, Command::Kind::webSearch);
  EXPECT_EQ(command.detail, "salt + pepper & more -._~ é");
  EXPECT_EQ(urlOf(command),
            "https://www.google.com/search?q=salt%20%2B%20pepper%20%26%20more%20-._~%20%C3%A9");
  EXPECT_EQ(WebSearch::command(*WebSearch::bang("!gh x"), "!gh x").id, "web.github");
}

TEST(WebSearch, WordsSplitAtAnyWhiteSpace) {
  EXPECT_EQ(WebSearch::words(" a\tb\u00A0c\u2003d \n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_TRUE(WebSearch::words("   ").empty());
}

SemanticResult suggestion(std::string query, const std::string& site, WordRange words, double probability) {
  SemanticResult result;
  result.query = std::move(query);
  result.webSearch = WebSearchHit{siteNamed(site), words, probability};
  return result;
}

TEST(WebSearch, ServiceSuggestionTrimsTheSiteNameAtEitherEnd) {
  const SemanticResult answer = suggestion("youtube cats", "youtube", {0, 2}, 0.7);
  const auto hit = WebSearch::hit("youtube cats", &answer, false);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->words, (WordRange{1, 2}));
  EXPECT_EQ(hit->probability, 0.7);

  const SemanticResult trailing = suggestion("cats on YouTube", "youtube", {0, 3}, 0.7);
  EXPECT_EQ(WebSearch::hit("cats on YouTube", &trailing, false)->words, (WordRange{0, 2}));
  // A single word is kept even when it names the site.
  const SemanticResult single = suggestion("youtube", "youtube", {0, 1}, 0.7);
  EXPECT_EQ(WebSearch::hit("youtube", &single, false)->words, (WordRange{0, 1}));
}

TEST(WebSearch, ABangBeatsTheService) {
  const SemanticResult answer = suggestion("cats", "google", {0, 1}, 0.9);
  EXPECT_EQ(WebSearch::hit("!w cats", &answer, false)->site.id, "wikipedia");
  EXPECT_FALSE(WebSearch::hit("cats", nullptr, false));
}

TEST(WebSearch, StaleSuggestionGrowsWithTheQueryOrIsDropped) {
  const SemanticResult answer = suggestion("weather in", "google", {0, 2}, 0.6);
  EXPECT_EQ(WebSearch::hit("weather in paris", &answer, true)->words, (WordRange{0, 3}));
  // The query no longer begins with the words the service saw.
  EXPECT_FALSE(WebSearch::hit("whether in paris", &answer, true));
  // The suggestion stopped short of the words the service saw.
  const SemanticResult partial = suggestion("weather in paris", "google", {0, 2}, 0.6);
  EXPECT_FALSE(WebSearch::hit("weather in paris today", &partial, true));
}

TEST(ResultRow, WebRowCarriesTheSiteProbability) {
  const SemanticResult answer = suggestion("cats videos", "youtube", {0, 1}, 0.55);
  const auto hit = WebSearch::hit("cats videos", &answer, false);
  const ResultRow row = ResultRow::web(*hit, "cats videos");
  EXPECT_EQ(row.id(), "web.youtube");
  EXPECT_EQ(row.probability, 0.55);
  EXPECT_EQ(row.command.detail, "cats");
}

}  // namespace
}  // namespace quillo::core

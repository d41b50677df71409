#include "quillo/core/web/web_search.h"

#include <algorithm>

#include "quillo/base/unicode.h"
#include "quillo/core/ranking/semantic_result.h"

namespace quillo::core::WebSearch {
namespace {

constexpr std::string_view kPlaceholder = "{terms}";

SearchSite site(std::string id, std::string name, std::vector<std::string> bangs, std::string hint,
                std::string searchTemplate, std::string home) {
  return SearchSite{std::move(id),   std::move(name),           std::move(bangs),
                    std::move(hint), std::move(searchTemplate), std::move(home)};
}

std::optional<SearchSite> siteOfBang(std::string_view word) {
  if (word.size() < 2 || word.front() != '!') return std::nullopt;
  const std::string name = base::lowercased(word.substr(1));
  for (const SearchSite& candidate : sites()) {
    if (std::find(candidate.bangs.begin(), candidate.bangs.end(), name) != candidate.bangs.end())
      return candidate;
  }
  return std::nullopt;
}

bool namesSite(std::string_view word, const SearchSite& site) {
  const std::string lower = base::lowercased(word);
  return lower == base::lowercased(site.id) || lower == base::lowercased(site.name);
}

// A suggestion for an earlier text serves a longer query only when the query still begins with
// the earlier words and the suggestion ran to their end: then it runs to the new end.
std::optional<WordRange> extendedStaleRange(const WordRange& range, const std::vector<std::string>& oldWords,
                                            const std::vector<std::string>& newWords) {
  if (newWords.size() < oldWords.size() || !std::equal(oldWords.begin(), oldWords.end(), newWords.begin())) {
    return std::nullopt;
  }
  if (range.end != oldWords.size()) return std::nullopt;
  return WordRange{range.begin, newWords.size()};
}

}  // namespace

const std::vector<SearchSite>& sites() {
  static const std::vector<SearchSite> table{
      site("google", "Google", {"g", "google"},
           "a general web search. Also the choice when the user asks to search the web or to look something "
           "up "
           "online and names no site",
           "https://www.google.com/search?q={terms}", "https://www.google.com"),
      site("duckduckgo", "DuckDuckGo", {"ddg", "duckduckgo"},
           "a private web search. Only when the user names DuckDuckGo or DDG",
           "https://duckduckgo.com/?q={terms}", "https://duckduckgo.com"),
      site("youtube", "YouTube", {"yt", "youtube"}, "videos, tutorials to watch, music videos, channels",
           "https://www.youtube.com/results?search_query={terms}", "https://www.youtube.com"),
      site("wikipedia", "Wikipedia", {"w", "wiki", "wikipedia"},
           "encyclopedia articles about people, places, history, and concepts",
           "https://en.wikipedia.org/w/index.php?search={terms}", "https://en.wikipedia.org"),
      site("github", "GitHub", {"gh", "github"},
           "source code repositories, open source projects, and developers",
           "https://github.com/search?q={terms}", "https://github.com"),
      site("stackoverflow", "Stack Overflow", {"so", "stackoverflow"}, "programming questions and answers",
           "https://stackoverflow.com/search?q={terms}", "https://stackoverflow.com"),
      site("amazon", "Amazon", {"a", "amazon"}, "products to buy", "https://www.amazon.com/s?k={terms}",
           "https://www.amazon.com"),
      site("reddit", "Reddit", {"r", "reddit"}, "discussions, communities, and opinions of people",
           "https://www.reddit.com/search/?q={terms}", "https://www.reddit.com"),
      site("maps", "Google Maps", {"gm", "maps"}, "places, addresses, directions, and businesses nearby",
           "https://www.google.com/maps/search/{terms}", "https://www.google.com/maps"),
      site("x", "X", {"x", "tw", "twitter"}, "posts and accounts. The site that was Twitter",
           "https://x.com/search?q={terms}", "https://x.com"),
      site("imdb", "IMDb", {"imdb"}, "movies, series, and actors", "https://www.imdb.com/find/?q={terms}",
           "https://www.imdb.com"),
      site("spotify", "Spotify", {"sp", "spotify"}, "songs, albums, artists, and podcasts to listen to",
           "https://open.spotify.com/search/{terms}", "https://open.spotify.com"),
  };
  return table;
}

std::vector<std::string> words(std::string_view text) {
  return base::whiteSpaceSeparatedWords(text);
}

std::optional<WebSearchHit> bang(std::string_view query) {
  const std::vector<std::string> all = words(query);
  if (all.empty()) return std::nullopt;
  if (auto first = siteOfBang(all.front()))
    return WebSearchHit{std::move(*first), {1, all.size()}, std::nullopt};
  if (all.size() >= 2) {
    if (auto last = siteOfBang(all.back()))
      return WebSearchHit{std::move(*last), {0, all.size() - 1}, std::nullopt};
  }
  return std::nullopt;
}

std::optional<WebSearchHit> hit(std::string_view query, const SemanticResult* semantic, bool isStale) {
  if (auto typed = bang(query)) return typed;
  if (semantic == nullptr || !semantic->webSearch) return std::nullopt;
  WebSearchHit suggested = *semantic->webSearch;
  const std::vector<std::string> queryWords = words(query);
  if (isStale) {
    const auto range = extendedStaleRange(suggested.words, words(semantic->query), queryWords);
    if (!range) return std::nullopt;
    suggested.words = *range;
  }
  suggested.words = trimmed(suggested.words, queryWords, suggested.site);
  return suggested;
}

WordRange trimmed(WordRange range, const std::vector<std::string>& words, const SearchSite& site) {
  range.end = std::min(range.end, words.size());
  range.begin = std::min(range.begin, range.end);
  if (range.size() >= 2 && namesSite(words[range.begin], site)) ++range.begin;
  if (range.size() >= 2 && namesSite(words[range.end - 1], site)) --range.end;
  return range;
}

Command command(const WebSearchHit& hit, std::string_view query) {
  const std::vector<std::string> queryWords = words(query);
  std::string terms;
  for (std::size_t index = hit.words.begin; index < std::min(hit.words.end, queryWords.size()); ++index) {
    if (!terms.empty()) terms += ' ';
    terms += queryWords[index];
  }
  std::string address = hit.site.home;
  if (!terms.empty()) {
    address = hit.site.searchTemplate;
    address.replace(address.find(kPlaceholder), kPlaceholder.size(), percentEncoded(terms));
  }
  const std::string title = (terms.empty() ? "Open " : "Search ") + hit.site.name;
  return Command("web." + hit.site.id, title, Command::Kind::webSearch, "", terms, "",
                 target::OpenUrl{base::Url{std::move(address)}});
}

std::string percentEncoded(std::string_view text) {
  return base::percentEncoded(text);
}

}  // namespace quillo::core::WebSearch

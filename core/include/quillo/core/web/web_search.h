#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/hashing.h"
#include "quillo/core/commands/command.h"

namespace quillo::core {

struct SemanticResult;

// A web site the launcher can search.
struct SearchSite {
  std::string id;                  // stable lower-case key, the suffix of the command id
  std::string name;                // shown in titles
  std::vector<std::string> bangs;  // words that pick the site after "!"
  std::string hint;                // what the site is for, told to the ranking service
  std::string searchTemplate;      // the search address, with "{terms}" for the encoded terms
  std::string home;                // opened when there are no terms

  bool operator==(const SearchSite&) const = default;
  friend void hashInto(base::Hasher& h, const SearchSite& s) {
    h.addAll(s.id, s.name, s.bangs, s.hint, s.searchTemplate, s.home);
  }
};

// A half-open range of word indexes into a query's words.
struct WordRange {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t size() const { return end > begin ? end - begin : 0; }
  bool operator==(const WordRange&) const = default;
  friend void hashInto(base::Hasher& h, const WordRange& r) { h.addAll(r.begin, r.end); }
};

// A site to search and which words of the query to search it for.
struct WebSearchHit {
  SearchSite site;
  WordRange words;
  // The ranking service's probability for the site; absent when the user typed a bang.
  std::optional<double> probability;

  bool operator==(const WebSearchHit&) const = default;
  friend void hashInto(base::Hasher& h, const WebSearchHit& w) { h.addAll(w.site, w.words, w.probability); }
};

namespace WebSearch {

// The twelve sites, the general search first.
const std::vector<SearchSite>& sites();

// The text split at white space, empty pieces dropped.
std::vector<std::string> words(std::string_view text);

// A site picked with "!" and one of its bang words, first ("!yt cats") or last ("cats !yt").
std::optional<WebSearchHit> bang(std::string_view query);

// The bang hit, else the service's suggestion: a stale one (answering an earlier text) still
// serves when the query only grew past the suggested words. A site's own id or name at either
// end of the service's words is not searched for ("youtube cats" searches YouTube for cats).
std::optional<WebSearchHit> hit(std::string_view query, const SemanticResult* semantic, bool isStale);

// The range within `words`, without the site's own id or name at either end while at least two
// words remain ("youtube cats" searches YouTube for cats).
WordRange trimmed(WordRange range, const std::vector<std::string>& words, const SearchSite& site);

// The command that opens the site's search for the hit's words, or its home page without words.
// The encoded terms always form a valid address.
Command command(const WebSearchHit& hit, std::string_view query);

// Every byte but ASCII letters, digits and "-._~" as "%" and two hexadecimal digits.
std::string percentEncoded(std::string_view text);

}  // namespace WebSearch

}  // namespace quillo::core

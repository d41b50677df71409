#pragma once

#include <map>
#include <string>
#include <string_view>

#include "quillo/service/vocabulary.h"

namespace quillo::service {

// Which web-search site a query asks for and which of its words to search.
struct WebSearchGuess {
  // By site id.
  std::map<std::string, double> siteProbabilities;
  // By span of the query's white-space words, "s" + first + "_" + last (inclusive), and "none".
  std::map<std::string, double> termProbabilities;
};

// A site named in the query ("cats on youtube", "youtube cats", "search amazon for cables") is
// nearly certain, and its terms are the words around the name less the joining words; a cue
// word ("trailer", "lyrics", "directions") makes a site likely, searched for the whole query;
// failing both, a query of two or more words that no command fits (`noneProbability` at least
// one half) is a likely general web search. Pure.
WebSearchGuess guessWebSearch(std::string_view query, const Vocabulary& vocabulary, double noneProbability);

}  // namespace quillo::service

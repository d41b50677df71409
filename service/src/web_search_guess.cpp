#include "quillo/service/web_search_guess.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "quillo/core/web/web_search.h"
#include "quillo/service/text_analysis.h"

namespace quillo::service {
namespace {

constexpr double kNamed = 0.92;
constexpr double kCued = 0.65;
constexpr double kGeneral = 0.55;
constexpr double kUnlikely = 0.02;

std::string spanKey(std::size_t first, std::size_t last) {
  return "s" + std::to_string(first) + "_" + std::to_string(last);
}

// The query word as the vocabulary writes words: lower-case letters and digits only.
std::string plain(const std::string& word) {
  std::string text;
  for (const std::string& piece : rankingWords(word))
    text += piece;
  return text;
}

// The words [first, end) of the query that name `site`, if any do.
std::optional<std::pair<std::size_t, std::size_t>> siteName(const std::vector<std::string>& words,
                                                            const core::SearchSite& site,
                                                            const Vocabulary& vocabulary) {
  std::vector<std::string> names = {plain(site.id), plain(site.name)};
  for (const std::string& bang : site.bangs) {
    // A short bang ("so", "a") is an everyday word when typed without its "!".
    if (bang.size() >= 3 && !vocabulary.stopWords.contains(bang)) names.push_back(bang);
  }
  const std::vector<std::string> nameWords = rankingWords(site.name);
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (std::find(names.begin(), names.end(), words[i]) != names.end()) return std::pair{i, i + 1};
    if (nameWords.size() > 1 && i + nameWords.size() <= words.size() &&
        std::equal(nameWords.begin(), nameWords.end(), words.begin() + static_cast<std::ptrdiff_t>(i)))
      return std::pair{i, i + nameWords.size()};
  }
  return std::nullopt;
}

}  // namespace

WebSearchGuess guessWebSearch(std::string_view query, const Vocabulary& vocabulary, double noneProbability) {
  WebSearchGuess guess;
  std::vector<std::string> words;
  for (const std::string& word : core::WebSearch::words(query))
    words.push_back(plain(word));
  for (const core::SearchSite& site : core::WebSearch::sites())
    guess.siteProbabilities[site.id] = kUnlikely;
  if (words.empty()) return guess;

  for (const core::SearchSite& site : core::WebSearch::sites()) {
    const auto named = siteName(words, site, vocabulary);
    if (!named) continue;
    guess.siteProbabilities[site.id] = kNamed;
    // The terms are the words on the longer side of the name, less the joining words next to it.
    std::size_t first = 0;
    std::size_t end = named->first;
    if (words.size() - named->second > named->first) {
      first = named->second;
      end = words.size();
    }
    while (first < end && vocabulary.siteJoiners.contains(words[first]))
      ++first;
    while (end > first && vocabulary.siteJoiners.contains(words[end - 1]))
      --end;
    if (first == end) {
      guess.termProbabilities["none"] = 0.9;
    } else {
      guess.termProbabilities["none"] = 0.04;
      guess.termProbabilities[spanKey(first, end - 1)] = 0.9;
    }
    return guess;
  }

  const std::string* cuedSite = nullptr;
  std::size_t bestCues = 0;
  for (const auto& [site, cues] : vocabulary.siteCues) {
    std::size_t found = 0;
    for (const std::string& word : words)
      found += static_cast<std::size_t>(std::count(cues.begin(), cues.end(), word));
    if (found > bestCues) {
      bestCues = found;
      cuedSite = &site;
    }
  }
  const std::string whole = spanKey(0, words.size() - 1);
  if (cuedSite != nullptr) {
    guess.siteProbabilities[*cuedSite] = std::min(kCued + 0.1 * static_cast<double>(bestCues - 1), 0.85);
    guess.termProbabilities = {{"none", 0.04}, {whole, 0.8}};
  } else if (words.size() >= 2 && noneProbability >= 0.5) {
    guess.siteProbabilities["google"] = kGeneral;
    guess.termProbabilities = {{"none", 0.04}, {whole, 0.8}};
  }
  return guess;
}

}  // namespace quillo::service

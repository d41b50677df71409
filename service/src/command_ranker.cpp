#include "quillo/service/command_ranker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

#include "quillo/service/text_analysis.h"

namespace quillo::service {
namespace {

constexpr std::size_t kFields = 3;  // title, hint, kind
// A few thousand distinct commands are what one user's launcher knows; past that, start over.
constexpr std::size_t kMaxCachedCandidates = 20000;
constexpr std::size_t kMaxQueryWords = 24;

}  // namespace

struct CommandRanker::Analysed {
  std::array<std::vector<std::string>, kFields> stems;
  long long words = 0;
};

struct CommandRanker::QueryWord {
  double importance = 1;
  // Stem and how much it counts.
  std::vector<std::pair<std::string, double>> expansions;

  void add(const std::string& stemmed, double weight) {
    for (auto& [existing, existingWeight] : expansions) {
      if (existing == stemmed) {
        existingWeight = std::max(existingWeight, weight);
        return;
      }
    }
    expansions.emplace_back(stemmed, weight);
  }
};

CommandRanker::CommandRanker(const Vocabulary& vocabulary, const WordNet* wordNet, Options options)
    : vocabulary_(vocabulary), wordNet_(wordNet), options_(options) {}

std::shared_ptr<const CommandRanker::Analysed> CommandRanker::analysed(const RankCandidate& candidate) const {
  std::string key = candidate.kind + '\x1f' + candidate.title + '\x1f' + candidate.hint;
  {
    const std::lock_guard lock(cacheMutex_);
    if (const auto found = cache_.find(key); found != cache_.end()) return found->second;
  }
  auto result = std::make_shared<Analysed>();
  const std::array<const std::string*, kFields> texts = {&candidate.title, &candidate.hint, &candidate.kind};
  for (std::size_t field = 0; field < kFields; ++field) {
    const std::vector<std::string> words = rankingWords(*texts[field]);
    for (std::size_t i = 0; i < words.size(); ++i) {
      ++result->words;
      if (!vocabulary_.stopWords.contains(words[i])) result->stems[field].push_back(stem(words[i]));
      // "Wi-Fi" and "Screen Saver" are also typed as one word.
      if (i + 1 < words.size() && field == 0) result->stems[field].push_back(stem(words[i] + words[i + 1]));
    }
  }
  const std::lock_guard lock(cacheMutex_);
  if (cache_.size() >= kMaxCachedCandidates) cache_.clear();
  cache_.emplace(std::move(key), result);
  return result;
}

std::vector<CommandRanker::QueryWord> CommandRanker::queryWords(std::string_view query,
                                                                const RankScope& scope) const {
  std::vector<std::string> words = rankingWords(query);
  // Within one application's menus or one pane, naming it again says nothing.
  std::unordered_set<std::string> scopeWords;
  for (const auto& name : {scope.app, scope.name}) {
    if (!name) continue;
    for (std::string& word : rankingWords(*name))
      scopeWords.insert(std::move(word));
  }
  std::vector<std::string> content;
  for (const std::string& word : words) {
    if (!vocabulary_.stopWords.contains(word) && !scopeWords.contains(word)) content.push_back(word);
  }
  // A query made only of small words ("do not disturb" less its meaning) is taken as typed.
  if (content.empty()) {
    for (const std::string& word : words)
      if (!scopeWords.contains(word)) content.push_back(word);
  }

  // A launcher query is a few words; a longer one is cut, so that its cost stays bounded.
  if (content.size() > kMaxQueryWords) content.resize(kMaxQueryWords);
  std::vector<QueryWord> result;
  for (const std::string& word : content) {
    QueryWord queryWord;
    queryWord.importance = vocabulary_.weakWords.contains(word) ? options_.weakWordImportance : 1.0;
    const std::string stemmed = stem(word);
    queryWord.add(stemmed, 1.0);
    const auto addMeaning = [&](const std::string& key) {
      const auto found = vocabulary_.meanings.find(key);
      if (found == vocabulary_.meanings.end()) return;
      for (const std::string& meant : found->second)
        if (!vocabulary_.stopWords.contains(meant)) queryWord.add(stem(meant), options_.meaningWeight);
    };
    addMeaning(word);
    if (wordNet_ != nullptr) {
      for (const RelatedWord& related : wordNet_->related(word)) {
        if (vocabulary_.stopWords.contains(related.word)) continue;
        const double weight = related.relation == Relation::synonym   ? options_.synonymWeight
                              : related.relation == Relation::derived ? options_.derivedWeight
                                                                      : options_.broaderWeight;
        queryWord.add(stem(related.word), weight);
      }
    }
    result.push_back(std::move(queryWord));
  }
  // A two-word phrase the vocabulary knows ("print screen") stands for its two words: its
  // meaning counts in full, the words themselves only in part.
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    const auto found = vocabulary_.meanings.find(words[i] + " " + words[i + 1]);
    if (found == vocabulary_.meanings.end()) continue;
    QueryWord phrase;
    for (const std::string& meant : found->second)
      if (!vocabulary_.stopWords.contains(meant)) phrase.add(stem(meant), options_.meaningWeight);
    for (const std::size_t part : {i, i + 1}) {
      const std::string stemmed = stem(words[part]);
      phrase.add(stemmed, options_.phrasePartWeight);
      std::erase_if(result, [&](const QueryWord& word) { return word.expansions.front().first == stemmed; });
    }
    result.push_back(std::move(phrase));
  }
  return result;
}

CommandRanking CommandRanker::rank(std::string_view query, const RankScope& scope,
                                   std::span<const RankCandidate> candidates) const {
  CommandRanking ranking;
  ranking.probabilities.assign(candidates.size(), 0.0);
  ranking.wordsRead = static_cast<long long>(rankingWords(query).size());
  std::vector<std::shared_ptr<const Analysed>> documents;
  documents.reserve(candidates.size());
  for (const RankCandidate& candidate : candidates) {
    documents.push_back(analysed(candidate));
    ranking.wordsRead += documents.back()->words;
  }
  const std::vector<QueryWord> words = queryWords(query, scope);
  if (words.empty() || candidates.empty()) return ranking;

  std::unordered_map<std::string, int> documentFrequency;
  for (const QueryWord& word : words)
    for (const auto& [stemmed, weight] : word.expansions)
      documentFrequency.emplace(stemmed, 0);
  std::array<double, kFields> averageLength{};
  for (const auto& document : documents) {
    std::unordered_set<std::string_view> seen;
    for (std::size_t field = 0; field < kFields; ++field) {
      averageLength[field] += static_cast<double>(document->stems[field].size());
      for (const std::string& stemmed : document->stems[field]) {
        const auto found = documentFrequency.find(stemmed);
        if (found != documentFrequency.end() && seen.insert(stemmed).second) ++found->second;
      }
    }
  }
  const double count = static_cast<double>(documents.size());
  for (double& length : averageLength)
    length = std::max(length / count, 1.0);
  const std::array<double, kFields> boost = {options_.titleBoost, options_.hintBoost, options_.kindBoost};
  const std::array<double, kFields> matchStrength = {1.0, options_.hintMatch, options_.kindMatch};
  double totalImportance = 0;
  for (const QueryWord& word : words)
    totalImportance += word.importance;

  std::vector<double> logits(documents.size(), -INFINITY);
  for (std::size_t index = 0; index < documents.size(); ++index) {
    const Analysed& document = *documents[index];
    double score = 0;
    double covered = 0;
    for (const QueryWord& word : words) {
      double bestScore = 0;
      double missed = 1;
      for (const auto& [stemmed, weight] : word.expansions) {
        double frequency = 0;
        double match = 0;
        for (std::size_t field = 0; field < kFields; ++field) {
          const auto& stems = document.stems[field];
          const auto occurrences = std::count(stems.begin(), stems.end(), stemmed);
          if (occurrences == 0) continue;
          const double length = static_cast<double>(stems.size());
          frequency += boost[field] * static_cast<double>(occurrences) /
                       (1 - options_.b + options_.b * length / averageLength[field]);
          match = std::max(match, matchStrength[field]);
        }
        if (frequency == 0) continue;
        const double df = documentFrequency[stemmed];
        const double idf = std::log(1 + (count - df + 0.5) / (df + 0.5));
        bestScore =
            std::max(bestScore, weight * idf * frequency * (options_.k1 + 1) / (options_.k1 + frequency));
        // Several of the word's meanings found together are stronger evidence than one.
        missed *= 1 - weight * match;
      }
      score += bestScore;
      covered += word.importance * (1 - missed);
    }
    const double coverage = covered / totalImportance;
    if (coverage > 0)
      logits[index] = options_.coverageScale * coverage + options_.scoreScale * std::log1p(score);
  }

  const double highest = std::max(options_.noneLogit, *std::max_element(logits.begin(), logits.end()));
  double sum = std::exp(options_.noneLogit - highest);
  for (const double logit : logits)
    sum += std::isinf(logit) ? 0 : std::exp(logit - highest);
  for (std::size_t index = 0; index < logits.size(); ++index)
    ranking.probabilities[index] = std::isinf(logits[index]) ? 0 : std::exp(logits[index] - highest) / sum;
  ranking.none = std::exp(options_.noneLogit - highest) / sum;
  return ranking;
}

}  // namespace quillo::service

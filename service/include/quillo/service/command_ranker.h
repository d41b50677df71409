#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quillo/service/vocabulary.h"
#include "quillo/service/word_net.h"

namespace quillo::service {

// One command the client asks about.
struct RankCandidate {
  std::string kind;
  std::string title;
  std::string hint;
  bool operator==(const RankCandidate&) const = default;
};

// The question's scope, as the client sends it.
struct RankScope {
  std::string kind = "commands";
  std::optional<std::string> app{};
  std::optional<std::string> name{};
  bool includeWebSearch = false;
};

// The tuning of the ranking: BM25 over the candidate's fields, how much related words count,
// and the calibration that turns scores into probabilities.
struct CommandRankerOptions {
  double k1 = 1.2;
  double b = 0.5;
  double titleBoost = 3.0;
  double hintBoost = 1.0;
  double kindBoost = 0.3;
  // Weight of a query word reached through the launcher vocabulary, and through WordNet.
  double meaningWeight = 0.9;
  double synonymWeight = 0.55;
  double derivedWeight = 0.6;
  double broaderWeight = 0.3;
  // Weight of the words of a two-word phrase the vocabulary gives a meaning.
  double phrasePartWeight = 0.5;
  // How much a weak word ("change", "settings") counts towards covering the query.
  double weakWordImportance = 0.25;
  // How much a match in the hint and in the kind counts against one in the title.
  double hintMatch = 0.8;
  double kindMatch = 0.4;
  // Softmax calibration: a candidate's logit is coverageScale × coverage + scoreScale ×
  // log(1 + BM25); "none" has noneLogit. Candidates that cover nothing get no probability.
  double coverageScale = 7.0;
  double scoreScale = 0.8;
  double noneLogit = 4.0;
};

// What the ranking found.
struct CommandRanking {
  // In candidate order.
  std::vector<double> probabilities;
  double none = 1.0;
  // Words read: the query's and every candidate's.
  long long wordsRead = 0;
};

// Ranks commands by meaning without a network: the query's words, stemmed (Snowball), are
// widened with what the launcher vocabulary says they mean and with WordNet's related words;
// each candidate's title, hint and kind are scored with BM25 against that; and a softmax over
// how much of the query each candidate covers, with "none" as one more choice, gives
// probabilities that sum to one, so that an unrelated query leaves "none" with nearly all.
//
// Thread-safe: the analysed candidates are cached behind a mutex; ranking itself holds no lock.
class CommandRanker {
 public:
  using Options = CommandRankerOptions;

  // `wordNet` may be null (no WordNet data): then only the vocabulary widens the query.
  CommandRanker(const Vocabulary& vocabulary, const WordNet* wordNet, Options options = {});

  CommandRanking rank(std::string_view query, const RankScope& scope,
                      std::span<const RankCandidate> candidates) const;

 private:
  struct Analysed;
  struct QueryWord;
  std::shared_ptr<const Analysed> analysed(const RankCandidate& candidate) const;
  std::vector<QueryWord> queryWords(std::string_view query, const RankScope& scope) const;

  const Vocabulary& vocabulary_;
  const WordNet* wordNet_;
  Options options_;
  mutable std::mutex cacheMutex_;
  mutable std::unordered_map<std::string, std::shared_ptr<const Analysed>> cache_;
};

}  // namespace quillo::service

#include "quillo/core/ranking/semantic_ranker.h"

#include <algorithm>

#include "quillo/core/ranking/parallel_requests.h"

namespace quillo::core {
namespace {

double valueOr0(const std::map<std::string, double>& values, const std::string& key) {
  const auto found = values.find(key);
  return found == values.end() ? 0 : found->second;
}

std::string spanKey(const WordRange& range) {
  return "s" + std::to_string(range.begin) + "_" + std::to_string(range.end - 1);
}

// The words to search: the whole query without span probabilities; otherwise the most probable
// of "none" (no words) and every span, the earlier on ties, or the whole query when all are 0.
WordRange chosenWords(const std::optional<std::map<std::string, double>>& spans, std::size_t wordCount) {
  const WordRange whole{0, wordCount};
  if (!spans) return whole;
  WordRange best{0, 0};
  double bestProbability = valueOr0(*spans, "none");
  for (const WordRange& range : RavoQuestions::spans(wordCount)) {
    const double probability = valueOr0(*spans, spanKey(range));
    if (probability > bestProbability) {
      best = range;
      bestProbability = probability;
    }
  }
  return bestProbability > 0 ? best : whole;
}

}  // namespace

SemanticRanker::SemanticRanker(std::shared_ptr<BackendClient> client, RavoQuestions::Scope scope,
                               std::vector<Command> candidates)
    : client_(std::move(client)),
      scope_(std::move(scope)),
      requests_(groups(std::move(candidates), RavoQuestions::maxOptionsPerRequest)) {}

SemanticRanker::SemanticRanker(std::shared_ptr<BackendClient> client, RavoQuestions::Scope scope,
                               std::function<std::vector<Command>()> candidates)
    : client_(std::move(client)), scope_(std::move(scope)), candidates_(std::move(candidates)) {}

void SemanticRanker::warmUp(std::stop_token stop) const {
  client_->warmUp(stop);
}

std::vector<std::vector<Command>> SemanticRanker::groups(std::vector<Command> candidates, std::size_t size) {
  std::vector<std::vector<Command>> slices;
  for (std::size_t begin = 0; begin < candidates.size(); begin += size) {
    const std::size_t end = std::min(begin + size, candidates.size());
    slices.emplace_back(std::make_move_iterator(candidates.begin() + static_cast<std::ptrdiff_t>(begin)),
                        std::make_move_iterator(candidates.begin() + static_cast<std::ptrdiff_t>(end)));
  }
  return slices;
}

SemanticRanker::Part SemanticRanker::part(const BackendAnswer& answer, std::span<const Command> chunk,
                                          double atLeast, const std::vector<std::string>& words) {
  Part part;
  for (std::size_t position = 0; position < chunk.size(); ++position) {
    const auto found = answer.probabilities.find("c" + std::to_string(position));
    if (found != answer.probabilities.end() && found->second >= atLeast) {
      part.hits.push_back({chunk[position], found->second});
    }
  }
  part.noneProbability = valueOr0(answer.probabilities, "none");
  part.inputTokens = answer.usage.inputTokens;
  if (answer.webSearch) part.webSearch = webSearch(*answer.webSearch, words);
  return part;
}

SemanticResult SemanticRanker::combine(std::vector<Part> parts, std::string query,
                                       std::chrono::duration<double> latency) {
  SemanticResult result{.query = std::move(query),
                        .hits = {},
                        .noneProbability = 1.0,
                        .latency = latency,
                        .inputTokens = 0,
                        .webSearch = std::nullopt};
  for (Part& part : parts) {
    result.hits.insert(result.hits.end(), std::make_move_iterator(part.hits.begin()),
                       std::make_move_iterator(part.hits.end()));
    result.noneProbability = std::min(result.noneProbability, part.noneProbability);
    result.inputTokens += part.inputTokens;
    if (!result.webSearch) result.webSearch = std::move(part.webSearch);
  }
  std::stable_sort(result.hits.begin(), result.hits.end(),
                   [](const SemanticHit& a, const SemanticHit& b) { return a.probability > b.probability; });
  if (result.hits.size() > RavoQuestions::maxSemanticRows)
    result.hits.erase(result.hits.begin() + RavoQuestions::maxSemanticRows, result.hits.end());
  return result;
}

std::optional<WebSearchHit> SemanticRanker::webSearch(const BackendAnswer::WebSearchAnswer& answer,
                                                      const std::vector<std::string>& words) {
  const SearchSite* best = nullptr;
  double bestProbability = 0;
  for (const SearchSite& site : WebSearch::sites()) {
    const double probability = valueOr0(answer.siteProbabilities, site.id);
    if (best == nullptr || probability > bestProbability) {
      best = &site;
      bestProbability = probability;
    }
  }
  if (best == nullptr || bestProbability < RavoQuestions::minimumSiteProbability) return std::nullopt;
  const WordRange chosen = chosenWords(answer.termProbabilities, words.size());
  return WebSearchHit{*best, WebSearch::trimmed(chosen, words, *best), bestProbability};
}

SemanticResult SemanticRanker::rank(std::string_view query, double atLeast, std::stop_token stop) const {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> words = WebSearch::words(query);

  std::vector<std::vector<Command>> made;
  if (candidates_) made = groups(candidates_(), RavoQuestions::maxOptionsPerRequest);
  const std::vector<std::vector<Command>>& requests = candidates_ ? made : requests_;
  std::vector<Part> parts;
  askInParallel<Part>(
      requests.size(), stop,
      [&](std::size_t chunk, std::stop_token chunkStop) {
        const BackendAnswer answer = client_->commands(query, scope_, requests[chunk], chunk == 0, chunkStop);
        return part(answer, requests[chunk], atLeast, words);
      },
      [&](std::size_t, Part answered) { parts.push_back(std::move(answered)); });
  return combine(std::move(parts), std::string(query), std::chrono::steady_clock::now() - start);
}

}  // namespace quillo::core

#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/service/backend_answer.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/core/service/ravo_questions.h"

namespace quillo::core {

// Asks the ranking service which of one fixed list of commands a query means. The list is cut
// once into chunks of at most 254; a ranking sends every chunk at once, each on a thread of its
// own, and keeps the candidates whose probability reaches the threshold, at most four, most
// probable first. The first chunk of the commands scope also asks which web site to search and
// for which words.
//
// Immutable once built; `rank` may run on several threads at once.
class SemanticRanker {
 public:
  // The answer to one chunk.
  struct Part {
    std::vector<SemanticHit> hits{};
    double noneProbability = 0;
    long long inputTokens = 0;
    std::optional<WebSearchHit> webSearch{};
    bool operator==(const Part&) const = default;
  };

  SemanticRanker(std::shared_ptr<BackendClient> client, RavoQuestions::Scope scope,
                 std::vector<Command> candidates);
  // A list kept elsewhere in a compact form (the launcher's thousands of commands live in the
  // command index) is made afresh for each ranking instead of being held a second time as
  // full commands: a few milliseconds against the service's round trip.
  SemanticRanker(std::shared_ptr<BackendClient> client, RavoQuestions::Scope scope,
                 std::function<std::vector<Command>()> candidates);

  // Forwards to the client's warm-up.
  void warmUp(std::stop_token stop = {}) const;

  // Fails with the first failure of any chunk (the others are cancelled at once): a
  // BackendError, a transport error, a malformed answer, or base::Cancelled when `stop` was
  // requested. Without candidates nothing is sent: an empty result, "none" at 1.
  SemanticResult rank(std::string_view query, double atLeast, std::stop_token stop = {}) const;

  const RavoQuestions::Scope& scope() const { return scope_; }
  // The chunks held; none when the list is made for each ranking.
  const std::vector<std::vector<Command>>& requests() const { return requests_; }

  // Consecutive slices of at most `size`, in order; none for an empty list.
  static std::vector<std::vector<Command>> groups(std::vector<Command> candidates, std::size_t size);
  // One chunk's answer: the candidates whose key ("c" and the position within the chunk) reaches
  // `atLeast`, in chunk order.
  static Part part(const BackendAnswer& answer, std::span<const Command> chunk, double atLeast,
                   const std::vector<std::string>& words);
  // The parts in the order they came: hits sorted by probability (ties keep that order) and cut
  // to four, the lowest "none", the summed tokens, the first web-search suggestion.
  static SemanticResult combine(std::vector<Part> parts, std::string query,
                                std::chrono::duration<double> latency);
  // The catalogue's most probable site (the earlier on ties) when it reaches 0.5, searched for
  // the most probable span of words, trimmed of the site's own name.
  static std::optional<WebSearchHit> webSearch(const BackendAnswer::WebSearchAnswer& answer,
                                               const std::vector<std::string>& words);

 private:
  std::shared_ptr<BackendClient> client_;
  RavoQuestions::Scope scope_;
  std::vector<std::vector<Command>> requests_;
  std::function<std::vector<Command>()> candidates_;
};

}  // namespace quillo::core

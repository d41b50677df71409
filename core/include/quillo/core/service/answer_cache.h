#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/service/ravo_questions.h"

namespace quillo::core {

// The service's answers received while the launcher runs, by scope and normalised query (trimmed
// of spaces and tabs, lower-cased), and the last one, shown as stale while the user types on.
// No size limit, no expiry. A plain value owned by the search model; not thread-safe.
class AnswerCache {
 public:
  struct Key {
    RavoQuestions::Scope scope;
    std::string query;
    bool operator==(const Key&) const = default;
    friend void hashInto(base::Hasher& h, const Key& k) { h.addAll(k.scope, k.query); }
  };

  std::optional<SemanticResult> answer(std::string_view query, const RavoQuestions::Scope& scope) const;
  // The last answer, when the query begins with the query it answered ("turn off" after "turn").
  std::optional<SemanticResult> staleAnswer(std::string_view query) const;
  // Stores the result under its own query, replacing any answer there, and makes it the last.
  void store(const SemanticResult& result, const RavoQuestions::Scope& scope);

  void forgetLast() { last_.reset(); }
  void removeAnswers() { answers_.clear(); }
  void removeAll() {
    removeAnswers();
    forgetLast();
  }

  const std::optional<SemanticResult>& last() const { return last_; }
  std::size_t size() const { return answers_.size(); }

 private:
  struct KeyHash {
    std::size_t operator()(const Key& key) const { return base::hashOf(key); }
  };

  std::unordered_map<Key, SemanticResult, KeyHash> answers_;
  std::optional<SemanticResult> last_;
};

}  // namespace quillo::core

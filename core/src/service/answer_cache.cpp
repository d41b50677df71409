#include "quillo/core/service/answer_cache.h"

namespace quillo::core {

std::optional<SemanticResult> AnswerCache::answer(std::string_view query,
                                                  const RavoQuestions::Scope& scope) const {
  const auto found = answers_.find(Key{scope, RavoQuestions::normalized(query)});
  if (found == answers_.end()) return std::nullopt;
  return found->second;
}

std::optional<SemanticResult> AnswerCache::staleAnswer(std::string_view query) const {
  if (!last_) return std::nullopt;
  if (!RavoQuestions::normalized(query).starts_with(RavoQuestions::normalized(last_->query)))
    return std::nullopt;
  return last_;
}

void AnswerCache::store(const SemanticResult& result, const RavoQuestions::Scope& scope) {
  answers_.insert_or_assign(Key{scope, RavoQuestions::normalized(result.query)}, result);
  last_ = result;
}

}  // namespace quillo::core

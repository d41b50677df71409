#include "quillo/core/search/service_questions.h"

#include "quillo/base/errors.h"
#include "quillo/core/ranking/semantic_ranker.h"
#include "quillo/core/results/command_results.h"
#include "quillo/core/service/ravo_questions.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {
namespace {

// The outcome of `ask`, its failures turned into a failed outcome.
template <class Ask>
ServiceOutcome outcomeOf(Ask&& ask) {
  try {
    return ask();
  } catch (const base::Cancelled&) {
    throw;
  } catch (const std::exception& error) {
    return ServiceOutcome::failed(error.what());
  }
}

}  // namespace

ServiceQuestion serviceQuestion(std::string_view query, bool canAsk, std::optional<int> bestLocalScore) {
  if (!canAsk) return ServiceQuestion::off;
  if (WebSearch::bang(query)) return ServiceQuestion::idle;
  return RavoQuestions::shouldAsk(query, bestLocalScore) ? ServiceQuestion::ask : ServiceQuestion::idle;
}

ServiceOutcome rankOutcome(const SemanticRanker& ranker, std::string_view query, std::stop_token stop) {
  return outcomeOf(
      [&] { return ServiceOutcome::answered(ranker.rank(query, RavoQuestions::minimumProbability, stop)); });
}

ServiceOutcome askServiceAboutCommands(std::string_view query, const CommandIndex& index,
                                       const UsageCounts& usage, const ServiceConnection& connect,
                                       std::stop_token stop) {
  if (serviceQuestion(query, true, bestLocalScore(index, query, usage)) != ServiceQuestion::ask)
    return ServiceOutcome::idle();
  return outcomeOf([&] {
    const SemanticRanker ranker(connect(), RavoQuestions::scope::Commands{}, index.commands());
    return rankOutcome(ranker, query, stop);
  });
}

ServiceOutcome askServiceAboutFiles(std::string_view query, const FileRouteDecision& decision,
                                    const FileRanker& ranker, const FileQuestionOptions& options) {
  if (decision.isLocal()) return ServiceOutcome::idle();
  const std::optional<int> best =
      decision.hits.empty() ? std::nullopt : std::optional<int>(decision.hits.front().score);
  if (!RavoQuestions::shouldAsk(query, best)) return ServiceOutcome::idle();
  return outcomeOf([&] {
    if (decision.route == FileRoute::validateShortlist) {
      SemanticResult shortlisted =
          ranker.rankShortlist(query, decision.shortlist, options.stop, options.routeLog);
      if (!shortlisted.hits.empty()) return ServiceOutcome::answered(std::move(shortlisted));
    }
    return ServiceOutcome::answered(ranker.rank(query, options.onUpdate, options.stop));
  });
}

}  // namespace quillo::core

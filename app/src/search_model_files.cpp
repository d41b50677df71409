// The files scope: the index answers on a worker, then the route decides whether the service is asked.
#include "quillo/app/search_model.h"
#include "quillo/base/unicode.h"
#include "quillo/core/results/result_merger.h"
#include "quillo/core/search/service_questions.h"

namespace quillo::app {

void SearchModel::setFileSearch(FileSearchState state) {
  files_ = std::move(state);
  if (scope_ == Scope::files) {
    setQuery(query_);
  } else {
    changed();
  }
}

void SearchModel::showPartialAnswer(const core::SemanticResult& soFar) {
  if (!std::holds_alternative<ravo::Waiting>(ravo_)) return;
  replaceRows(merged(&soFar, false));
  changed();
}

void SearchModel::searchFiles() {
  fileRoute_.reset();
  if (!fileSearchSetUp() || !files_.index || files_.isIndexing) {
    rows_.clear();
    keepSelectionListed();
    local_.clear();
    ravo_ = ravo::Off{!fileSearchSetUp()  ? "choose search folders"
                      : files_.isIndexing ? "indexing files"
                                          : "review search folders"};
    return;
  }
  if (base::trimmedWhiteSpace(query_).empty()) {
    local_.clear();
    rows_.clear();
    keepSelectionListed();
    ravo_ = files_.ranker ? RavoState(ravo::Idle{}) : RavoState(ravo::Off{files_.offReason});
    return;
  }
  fileTask_.start(
      [index = files_.index, canRank = files_.ranker != nullptr, query = query_](std::stop_token stop) {
        core::FileRouteInput input{
            .folderHits = index->rootHits(query),
            .nameHits = index->filenameHits(query, static_cast<int>(core::ResultMerger::maxLocalFileRows)),
            .canRank = canRank,
            .canValidateShortlist = canRank,
            .validateShortlists = true,
        };
        base::throwIfCancelled(stop);
        return core::decideFileRoute(query, std::move(input));
      },
      [this, query = query_, start = deps_.clock.steadyNow()](core::FileRouteDecision decision) {
        localTime_ = deps_.clock.steadyNow() - start;
        applyFileRoute(query, std::move(decision));
      });
}

void SearchModel::applyFileRoute(const std::string& query, core::FileRouteDecision decision) {
  local_ = decision.hits;
  fileRoute_ = decision.route;
  if (options_.routeLog) *options_.routeLog << decision.logLine() + "\n" << std::flush;
  if (decision.isLocal()) {
    ravo_ = files_.ranker ? RavoState(ravo::Idle{}) : RavoState(ravo::Off{files_.offReason});
    replaceRows(merged(nullptr, false));
  } else {
    Question question{
        .query = query,
        .scope = core::RavoQuestions::scope::Files{},
        .ask = {},
        .offReason = files_.offReason,
        .bestLocalScore = local_.empty() ? std::nullopt : std::optional<int>(local_.front().score),
        .debounce = std::chrono::milliseconds(0),
        .keepRowsOnFailure = true,
    };
    if (files_.ranker) {
      question.ask = [this, ranker = files_.ranker, decision = std::move(decision), query,
                      log = options_.routeLog](std::stop_token stop) {
        // The hits so far after each chunk, shown while the rest are ranked. The model is only
        // touched on the main thread, and only while the task is current: stop is requested
        // when it is replaced and when the model goes.
        const auto partial = [this, stop](const core::SemanticResult& soFar) {
          deps_.main.post([this, stop, soFar] {
            if (!stop.stop_requested()) showPartialAnswer(soFar);
          });
        };
        return core::askServiceAboutFiles(query, decision, *ranker,
                                          {.routeLog = log, .onUpdate = partial, .stop = stop});
      };
    }
    askService(std::move(question));
  }
  changed();
}

}  // namespace quillo::app

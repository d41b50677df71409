#include "quillo/app/search_model.h"

#include <algorithm>

#include "quillo/base/unicode.h"
#include "quillo/core/results/result_merger.h"
#include "quillo/core/search/service_questions.h"
#include "quillo/core/service/backend_error.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/core/web/web_search.h"

namespace quillo::app {
namespace {

std::shared_ptr<const core::CommandIndex> emptyIndex() {
  return std::make_shared<const core::CommandIndex>(std::vector<core::Command>{});
}

std::string messageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& failure) {
    return failure.what();
  } catch (...) {
    return "Unknown failure.";
  }
}

}  // namespace

SearchModel::SearchModel(SearchModelDependencies dependencies, SearchModelHooks hooks,
                         SearchModelOptions options)
    : deps_(std::move(dependencies)),
      hooks_(std::move(hooks)),
      options_(std::move(options)),
      mac_{emptyIndex(), nullptr, "loading the commands"},
      menus_{emptyIndex(), nullptr, ""},
      semanticTask_(deps_.pool, deps_.main),
      menuTask_(deps_.pool, deps_.main),
      fileTask_(deps_.pool, deps_.main),
      clipboardTask_(deps_.pool, deps_.main),
      commandsTask_(deps_.pool, deps_.main) {}

SearchModel::~SearchModel() {
  debounce_.cancel();
}

void SearchModel::setQuery(std::string text) {
  const bool typed = !base::trimmedWhiteSpace(text).empty();
  if (typed && hooks_.featureUsed) hooks_.featureUsed(scope_);
  query_ = std::move(text);
  clipboardActionError_.reset();
  fileTask_.cancel();
  debounce_.cancel();
  debouncePending_ = false;
  semanticTask_.cancel();
  selection_ = 0;
  userMovedSelection_ = false;

  const auto start = deps_.clock.steadyNow();
  parsed_ = core::ParameterParser::parse(query_);
  matchClipboard(query_);
  if (scope_ == Scope::files) {
    searchFiles();
  } else {
    searchCommands(scope_ == Scope::menus ? menus_ : mac_);
    localTime_ = deps_.clock.steadyNow() - start;
  }
  changed();
}

void SearchModel::searchCommands(const Source& source) {
  const core::UsageCounts& counts = deps_.usage.rankingCounts(deps_.preferences.learnFromUsage());
  local_ = source.index->search(query_, counts, localLimit);
  const bool reading = scope_ == Scope::menus && std::holds_alternative<menu::Reading>(menuState_);
  Question question{
      .query = query_,
      .scope = scope_ == Scope::menus
                   ? core::RavoQuestions::Scope(core::RavoQuestions::scope::Menu{menuAppName_})
                   : core::RavoQuestions::Scope(core::RavoQuestions::scope::Commands{}),
      .ask = {},
      .offReason = reading ? "reading the menus" : source.offReason,
      .bestLocalScore = local_.empty() ? std::nullopt : std::optional<int>(local_.front().score),
      .debounce = options_.debounce,
      .keepRowsOnFailure = false,
  };
  if (source.ranker) {
    question.ask = [ranker = source.ranker, query = query_](std::stop_token stop) {
      return core::rankOutcome(*ranker, query, stop);
    };
  }
  askService(std::move(question));
}

void SearchModel::askService(Question question) {
  switch (core::serviceQuestion(question.query, bool(question.ask), question.bestLocalScore)) {
    case core::ServiceQuestion::off:
      ravo_ = ravo::Off{question.offReason};
      replaceRows(merged(nullptr, false));
      return;
    case core::ServiceQuestion::idle:
      ravo_ = ravo::Idle{};
      replaceRows(merged(nullptr, false));
      return;
    case core::ServiceQuestion::ask:
      break;
  }
  if (const auto cached = answers_.answer(question.query, question.scope)) {
    ravo_ = ravo::Answered{*cached, true};
    replaceRows(merged(&*cached, false));
    return;
  }
  ravo_ = ravo::Waiting{};
  const auto stale = answers_.staleAnswer(question.query);
  replaceRows(merged(stale ? &*stale : nullptr, stale.has_value()));

  const std::chrono::milliseconds debounce = question.debounce;
  auto start = [this, question = std::move(question)] {
    debouncePending_ = false;
    semanticTask_.start(
        [ask = question.ask](std::stop_token stop) { return ask(stop); },
        [this, question](core::ServiceOutcome outcome) { applyOutcome(question, std::move(outcome)); },
        [this, question](const std::exception_ptr& error) {
          applyOutcome(question, core::ServiceOutcome::failed(messageOf(error)));
        });
  };
  if (debounce.count() > 0) {
    debouncePending_ = true;
    debounce_ = deps_.main.postAfter(debounce, std::move(start));
  } else {
    start();
  }
}

void SearchModel::applyOutcome(const Question& question, core::ServiceOutcome outcome) {
  switch (outcome.state) {
    case core::ServiceState::answered:
      answers_.store(*outcome.result, question.scope);
      replaceRows(merged(&*outcome.result, false));
      ravo_ = ravo::Answered{std::move(*outcome.result), false};
      break;
    case core::ServiceState::failed:
      ravo_ = ravo::Failed{outcome.message.value_or("")};
      if (!question.keepRowsOnFailure) replaceRows(merged(nullptr, false));
      break;
    case core::ServiceState::idle:
      ravo_ = ravo::Idle{};
      replaceRows(merged(nullptr, false));
      break;
    case core::ServiceState::off:
      ravo_ = ravo::Off{outcome.message.value_or(question.offReason)};
      replaceRows(merged(nullptr, false));
      break;
  }
  changed();
}

std::vector<core::ResultRow> SearchModel::merged(const core::SemanticResult* semantic, bool isStale) const {
  core::MergeInput input;
  input.local = local_;
  input.semantic = semantic;
  if (scope_ == Scope::commands) {
    if (const auto web = core::WebSearch::hit(query_, semantic, isStale))
      input.web = core::ResultRow::web(*web, query_);
  }
  input.isStale = isStale;
  if (scope_ != Scope::files) input.query = parsed_;
  input.offersPresets = !query_.empty();
  input.context = options_.context;
  input.context.now = deps_.clock.now();
  input.context.awakeUntil = hooks_.awakeUntil ? hooks_.awakeUntil() : std::nullopt;
  if (scope_ != Scope::files) input.limit = core::ResultMerger::maxRows;
  return core::ResultMerger::merge(input);
}

void SearchModel::replaceRows(std::vector<core::ResultRow> rows) {
  if (selection_ >= rows_.size()) {
    rows_ = std::move(rows);
    keepSelectionListed();
    return;
  }
  const auto kept = core::SelectionRule::keptIndex(rows_, selection_, rows, userMovedSelection_);
  rows_ = std::move(rows);
  selection_ = kept.value_or(0);
}

std::optional<core::ResultRow> SearchModel::selectedRow() const {
  if (selection_ < rows_.size()) return rows_[selection_];
  if (selection_ == rows_.size() && listsClipboardRow()) return clipboardRow_;
  return std::nullopt;
}

void SearchModel::keepSelectionListed() {
  if (selection_ < rows_.size()) return;
  // The clipboard row the user moved to stays chosen while it is listed.
  selection_ = listsClipboardRow() && userMovedSelection_ ? rows_.size() : 0;
}

std::vector<core::ScoredRow> SearchModel::scoredRows() const {
  return core::withLocalScores(rows_, local_);
}

void SearchModel::matchClipboard(const std::string& text) {
  clipboardTask_.cancel();
  if (base::trimmedWhiteSpace(text).empty() || showsSetupRequest() || !hooks_.clipboardMatch) {
    clipboardRow_.reset();
    keepSelectionListed();
    return;
  }
  clipboardTask_.start(
      [match = hooks_.clipboardMatch, text](std::stop_token stop) { return match(text, stop); },
      [this](std::optional<core::Command> command) {
        clipboardRow_.reset();
        if (command) clipboardRow_ = core::ResultRow{std::move(*command), std::nullopt, std::nullopt};
        keepSelectionListed();
        changed();
      });
}

bool SearchModel::fileSearchSetUp() const {
  return deps_.preferences.fileSearchSetupCompleted() && !deps_.preferences.fileSearchPaths().empty();
}

bool SearchModel::showsSetupRequest() const {
  if (scope_ == Scope::menus) return std::holds_alternative<menu::NeedsPermission>(menuState_);
  return scope_ == Scope::files && !fileSearchSetUp();
}

void SearchModel::showClipboardActionError(std::optional<std::string> message) {
  clipboardActionError_ = std::move(message);
  changed();
}

void SearchModel::moveSelection(int by) {
  const std::size_t listed = rows_.size() + (listsClipboardRow() ? 1 : 0);
  if (listed == 0) return;
  const long last = static_cast<long>(listed) - 1;
  selection_ = static_cast<std::size_t>(std::clamp(static_cast<long>(selection_) + by, 0L, last));
  userMovedSelection_ = true;
  changed();
}

bool SearchModel::busy() const {
  return debouncePending_ || semanticTask_.busy() || menuTask_.busy() || fileTask_.busy() ||
         clipboardTask_.busy() || commandsTask_.busy();
}

std::optional<LauncherFeedback> SearchModel::launcherFeedback() const {
  if (!rows_.empty()) return std::nullopt;
  const bool typed = !base::trimmedWhiteSpace(query_).empty();
  const bool waiting = std::holds_alternative<ravo::Waiting>(ravo_);
  if (scope_ == Scope::menus) {
    if (std::holds_alternative<menu::NeedsPermission>(menuState_)) return LauncherFeedback::permission;
    if (!std::holds_alternative<menu::Ready>(menuState_)) return std::nullopt;
  }
  if (scope_ == Scope::files) {
    if (!fileSearchSetUp()) return LauncherFeedback::fileSetup;
    if (files_.isIndexing) return std::nullopt;
    if (!files_.folderFailures.empty()) return LauncherFeedback::fileAccess;
    // Nothing named so in the folders: the panel offers to search for the files themselves.
    if (typed && !waiting) return LauncherFeedback::fileSearch;
  }
  if (!typed || waiting) return std::nullopt;
  return LauncherFeedback::noMatches;
}

std::optional<std::string> SearchModel::launcherMessage() const {
  if (scope_ != Scope::menus || !rows_.empty()) return std::nullopt;
  if (std::holds_alternative<menu::Unavailable>(menuState_)) return "No app to read menus from";
  if (std::holds_alternative<menu::Reading>(menuState_) && !query_.empty())
    return "Reading the menus of " + menuAppName_ + "\u2026";
  return std::nullopt;
}

void SearchModel::changed() {
  changes_.notify();
}

}  // namespace quillo::app

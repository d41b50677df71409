#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <vector>

#include "quillo/app/search_states.h"
#include "quillo/app/task_slot.h"
#include "quillo/base/observers.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/commands/result_row.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/files/file_ranker.h"
#include "quillo/core/files/file_route.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/ranking/semantic_ranker.h"
#include "quillo/core/results/scored_row.h"
#include "quillo/core/results/usage_store.h"
#include "quillo/core/search/service_outcome.h"
#include "quillo/core/service/answer_cache.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/core/service/ravo_questions.h"
#include "quillo/core/values/parsed_query.h"
#include "quillo/core/values/resolver_context.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/main_queue.h"

namespace quillo::app {

// The application that was in front when the panel opened.
struct FrontApp {
  platform::ProcessID pid = 0;
  std::string bundleID;
  // Its name as the user reads it; empty when it has none.
  std::string name;
  bool operator==(const FrontApp&) const = default;
};

// The file search the search folders prepared (they own choosing and indexing the folders).
struct FileSearchState {
  std::shared_ptr<core::FileIndex> index;
  // Absent when the service may not rank files; `offReason` then says why.
  std::shared_ptr<const core::FileRanker> ranker;
  std::string offReason;
  // Folder path to the message of why it cannot be searched.
  std::map<std::string, std::string> folderFailures;
  bool isIndexing = false;
};

// What the search model asks of the rest of the application. Each hook is optional and is
// called on the main thread, except `clipboardMatch`, which runs on a worker.
struct SearchModelHooks {
  // The clipboard history item the query matches, as a clipboard command (the model never links
  // the clipboard library). Must check `stop` when it is slow.
  std::function<std::optional<core::Command>(const std::string& query, std::stop_token stop)> clipboardMatch;
  // Pastes a clipboard row.
  std::function<void(const core::ResultRow& row)> pasteClipboard;
  // Runs a row through the command runner.
  std::function<void(const core::ResultRow& row, bool alternate)> runRow;
  // The settings guide: follows a menu command that opens the front application's settings, or
  // looks for the query inside a System Settings pane.
  std::function<void(const core::Command& menuItem, const std::string& query)> guideAppSettings;
  std::function<void(const core::Command& pane, const std::string& query)> guideSettingsPane;
  // After a row ran: the application closes the panel.
  std::function<void()> onRun;
  // Usage signals: a query was typed in a scope; a row ran (files say whether the alternate did).
  std::function<void(core::QuilloPreferences::Scope scope)> featureUsed;
  std::function<void(core::QuilloPreferences::Scope scope, bool alternate)> actionInvoked;
  // Makes sure the file index and its ranker exist (the search folders answer with setFileSearch).
  std::function<void()> prepareFiles;
  // When the keep-awake that runs now ends, if one runs.
  std::function<std::optional<base::Date>()> awakeUntil;
};

struct SearchModelOptions {
  // The quiet time before the service is asked about a typed command query.
  std::chrono::milliseconds debounce{90};
  // Receives the "[quillo-file-route] …" lines when given (from the main thread and workers,
  // one whole line per write).
  std::ostream* routeLog = nullptr;
  // The calendar, time zone and locale values are resolved in; `now` is taken from the clock.
  core::ResolverContext context{};
};

// Everything here must outlive the model and the pool's threads: a called-off task may still be
// running on a worker after the model is gone.
struct SearchModelDependencies {
  platform::MainQueue& main;
  base::WorkerPool& pool;
  const platform::Clock& clock;
  core::QuilloPreferences& preferences;
  core::UsageStore& usage;
  // Menus are read on workers; only the silent trust check runs on the main thread.
  platform::Accessibility& accessibility;
  // None when the service is not configured.
  std::shared_ptr<core::BackendClient> backend;
};

// Drives the launcher panel: turns each keystroke into the rows it lists, asks the ranking
// service when a query is worth it (after a quiet time, with answers cached for one opening),
// keeps the selection across updates, runs the chosen row and says what to show when there is
// nothing to list. Everything it does is on the main thread; menu reading, the service, file
// searches and the clipboard match run on the worker pool as cancellable tasks whose results
// are applied only while they are current. Observers hear of every change through `observe`.
class SearchModel {
 public:
  using Scope = core::QuilloPreferences::Scope;

  // A command source: its local index, the ranker the service is asked with (absent when it
  // cannot be asked), and why it is not asked.
  struct Source {
    std::shared_ptr<const core::CommandIndex> index;
    std::shared_ptr<const core::SemanticRanker> ranker;
    std::string offReason;
  };

  static constexpr std::size_t localLimit = 8;

  SearchModel(SearchModelDependencies dependencies, SearchModelHooks hooks = {},
              SearchModelOptions options = {});
  ~SearchModel();
  SearchModel(const SearchModel&) = delete;
  SearchModel& operator=(const SearchModel&) = delete;

  // Calls `observer` after every change of the observable state, on the main thread, until the
  // token goes.
  [[nodiscard]] base::Observers::Token observe(std::function<void()> observer) {
    return changes_.observe(std::move(observer));
  }

  // A change of the search field.
  void setQuery(std::string text);
  // Tab: menus, commands, files, then menus again.
  void toggleScope();
  void changeScope(Scope scope);
  // The files shortcut: the files scope until the panel closes.
  void showFilesFromShortcut();
  // Backspace in the empty field: from the files scope back to the scope the files shortcut
  // left, else to the commands. False in the other scopes, which have none to go back to.
  bool goBackAScope();
  void panelDidOpen(const std::optional<FrontApp>& app);
  void panelDidClose();
  void readMenus(const std::optional<FrontApp>& app);
  // Builds the command index with `build` on a worker, then searches the current query again.
  void refreshCommands(std::function<core::CommandIndex()> build);
  void moveSelection(int by);
  // Return on a row (with a modifier: `alternate`); the row may be one of rows().
  void run(const core::ResultRow& chosen, bool alternate);
  // The search folders' new state; the files scope searches again.
  void setFileSearch(FileSearchState state);
  // The service client once it is known (the local service starts after the model); the next
  // command index and menu read ask it.
  void setBackend(std::shared_ptr<core::BackendClient> backend) { deps_.backend = std::move(backend); }

  const std::string& query() const { return query_; }
  Scope scope() const { return scope_; }
  const std::vector<core::ResultRow>& rows() const { return rows_; }
  // The rows with the local score that put each there.
  std::vector<core::ScoredRow> scoredRows() const;
  std::size_t selection() const { return selection_; }
  const RavoState& ravo() const { return ravo_; }
  const MenuState& menuState() const { return menuState_; }
  const std::optional<FrontApp>& menuApp() const { return menuApp_; }
  const std::string& menuAppName() const { return menuAppName_; }
  const std::optional<core::ResultRow>& clipboardRow() const { return clipboardRow_; }
  // Whether the clipboard row is listed after rows(): there is one and the rows leave room for
  // it. The selection moves onto it after the last row (selection() == rows().size()).
  bool listsClipboardRow() const { return clipboardRow_ && rows_.size() < localLimit; }
  // The row the selection is on, one of rows() or the listed clipboard row; none when nothing is
  // listed.
  std::optional<core::ResultRow> selectedRow() const;
  // What went wrong with the last paste or copy of a clipboard row; cleared by the next query.
  const std::optional<std::string>& clipboardActionError() const { return clipboardActionError_; }
  void showClipboardActionError(std::optional<std::string> message);
  const core::ParsedQuery& parsed() const { return parsed_; }
  const std::vector<core::LocalHit>& local() const { return local_; }
  std::chrono::steady_clock::duration localTime() const { return localTime_; }
  std::size_t commandCount() const { return commandCount_; }
  int commandIndexRevision() const { return commandIndexRevision_; }
  const FileSearchState& fileSearch() const { return files_; }
  // The answer cache (its answers live for one panel opening).
  const core::AnswerCache& answers() const { return answers_; }
  // The route of the last file search, when one answered.
  const std::optional<core::FileRoute>& fileRoute() const { return fileRoute_; }

  // Whether a background task or the quiet time before asking the service is pending, so that
  // a change is still to come.
  bool busy() const;

  // What to show in place of an empty list; none while rows are listed.
  std::optional<LauncherFeedback> launcherFeedback() const;
  // The menus scope's text for an empty list.
  std::optional<std::string> launcherMessage() const;

 private:
  // One question to the service: what is asked, with what, and what happens around it.
  struct Question {
    std::string query;
    core::RavoQuestions::Scope scope;
    // Runs on a worker; none when there is no ranker.
    std::function<core::ServiceOutcome(std::stop_token)> ask;
    std::string offReason;
    std::optional<int> bestLocalScore;
    std::chrono::milliseconds debounce{0};
    // A failure leaves the rows as they are (files) instead of dropping the service's rows.
    bool keepRowsOnFailure = false;
  };

  bool fileSearchSetUp() const;
  bool showsSetupRequest() const;
  void searchCommands(const Source& source);
  void searchFiles();
  void applyFileRoute(const std::string& query, core::FileRouteDecision decision);
  void askService(Question question);
  void applyOutcome(const Question& question, core::ServiceOutcome outcome);
  void showPartialAnswer(const core::SemanticResult& soFar);
  std::vector<core::ResultRow> merged(const core::SemanticResult* semantic, bool isStale) const;
  // Replaces the rows for the same query, keeping the selected command if the user moved to it.
  void replaceRows(std::vector<core::ResultRow> rows);
  void matchClipboard(const std::string& text);
  // Keeps the selection on a listed row after the clipboard row went away.
  void keepSelectionListed();
  void changed();

  SearchModelDependencies deps_;
  SearchModelHooks hooks_;
  SearchModelOptions options_;
  base::Observers changes_;

  std::string query_;
  Scope scope_ = Scope::commands;
  std::optional<Scope> fileShortcutPreviousScope_;
  std::vector<core::ResultRow> rows_;
  std::size_t selection_ = 0;
  bool userMovedSelection_ = false;
  std::optional<FrontApp> menuApp_;
  std::string menuAppName_;
  MenuState menuState_ = menu::Unavailable{};
  Source mac_;
  Source menus_;
  std::vector<core::LocalHit> local_;
  core::ParsedQuery parsed_;
  core::AnswerCache answers_;
  RavoState ravo_ = ravo::Off{"loading the commands"};
  std::chrono::steady_clock::duration localTime_{};
  std::size_t commandCount_ = 0;
  int commandIndexRevision_ = 0;
  FileSearchState files_;
  std::optional<core::FileRoute> fileRoute_;
  std::optional<core::ResultRow> clipboardRow_;
  std::optional<std::string> clipboardActionError_;

  platform::DelayedTask debounce_;
  bool debouncePending_ = false;
  TaskSlot semanticTask_;
  TaskSlot menuTask_;
  TaskSlot fileTask_;
  TaskSlot clipboardTask_;
  TaskSlot commandsTask_;
};

}  // namespace quillo::app

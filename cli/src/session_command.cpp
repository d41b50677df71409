#include <fmt/format.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "arguments.h"
#include "commands.h"
#include "quillo/app/run_plan.h"
#include "quillo/app/run_plan_json.h"
#include "quillo/app/search_model.h"
#include "quillo/app/session_json.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/posix/loop_main_queue.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"
#include "quillo/platform/posix/saved_tree_accessibility.h"
#include "service_settings.h"
#include "session_accessibility.h"
#include "session_events.h"
#include "session_files.h"
#include "session_runner.h"
#include "system_index.h"

namespace quillo::cli {
namespace {

// The process calls the index was built with: set on the worker that builds it, read when a row
// runs on the main thread.
class SharedProcessCalls {
 public:
  void set(core::ProcessCalls calls) {
    std::lock_guard lock(mutex_);
    calls_ = std::move(calls);
  }
  app::ActionTools tools() const {
    std::lock_guard lock(mutex_);
    return calls_ ? app::ActionTools::of(*calls_) : app::ActionTools{};
  }

 private:
  mutable std::mutex mutex_;
  std::optional<core::ProcessCalls> calls_;
};

}  // namespace

const std::string_view kSessionHelp =
    R"(usage: quillo-cli session [--execute] [--service URL --key-file F ...] [--applications DIR]... [FILE]

Runs the launcher without a window: reads events as JSON Lines from FILE (or standard input),
one object a line, and feeds them to the launcher's search model on the real clock, each at its
"at" (milliseconds from the start, counted once the commands are loaded):

  {"at": 0, "type": "open", "frontApp": "org.example.Notes", "menuTree": "notes.json"}
  {"at": 10, "type": "query", "text": "export"}
  {"at": 20, "type": "tab"}        the next scope: menus, commands, files
  {"at": 30, "type": "down"}       also "up": move the selection
  {"at": 40, "type": "run", "alternate": false}   Return on the selected row
  {"at": 50, "type": "close"}      also "wait": nothing happens, time passes

"open" shows the panel with the application whose bundle id is "frontApp" in front, its menus
read from the saved accessibility tree "menuTree" (see quillo-cli menus); without "frontApp"
nothing is in front. After each turn of the launcher's loop in which its state changed, one
JSON object is printed:

  {"at", "query", "scope", "ravo": {"state", "cached", "reason", "message"}, "rows",
   "selection", "feedback", "message"}

"rows" are the row objects of search --json; ravo's state is off, answered, failed, idle or
waiting; feedback is permission, fileSetup, fileAccess, fileSearch, noMatches or null. "run"
prints {"ran": {...}}, what would run, as run --dry-run prints it; it runs only with --execute.
Nothing is written to the preferences or the usage counts. The session ends when the input has ended and
nothing is pending. Diagnostics go to standard error.

options:
  --execute             carry out what "run" chooses, as quillo-cli run does
  --applications DIR    look for applications in DIR instead of the standard folders
  --service URL         ask the ranking service at URL (and --key-file, --credential-file,
                        --ca-file as for search)
  -h, --help            show this help
)";

namespace {

using Clock = std::chrono::steady_clock;

// An event read and made ready off the main thread: a menu tree is loaded from its file there.
struct ReadyEvent {
  SessionEvent event;
  std::shared_ptr<platform::Accessibility> tree;
  std::string appName;
};

ReadyEvent prepare(SessionEvent event) {
  ReadyEvent ready{std::move(event), nullptr, ""};
  if (ready.event.type != SessionEvent::Type::open || !ready.event.frontApp) return ready;
  ready.appName = *ready.event.frontApp;
  if (ready.event.menuTree) {
    auto tree = std::make_shared<platform::posix::SavedTreeAccessibility>(
        platform::posix::SavedTreeAccessibility::load(*ready.event.menuTree));
    // The application's own title names it, as the desktop would.
    if (const auto app = tree->applicationElement(0)) {
      if (const auto title = tree->attribute(*app, "AXTitle"))
        if (const auto* text = std::get_if<std::string>(&*title); text && !text->empty())
          ready.appName = *text;
    }
    ready.tree = std::move(tree);
  }
  return ready;
}

// The loop of one session: events in, one state line out per changed turn.
class Session {
 public:
  Session(app::SearchModel& model, platform::posix::LoopMainQueue& main, SessionAccessibility& accessibility,
          const platform::Clock& clock, std::FILE* output)
      : model_(model),
        main_(main),
        accessibility_(accessibility),
        clock_(clock),
        output_(output),
        modelChanges_(model_.observe([this] { changed(); })) {}

  // Runs the loop while `input` is read on a thread of its own; the exit status.
  int run(std::FILE* input) {
    std::thread reader([this, input] { read(input); });
    main_.run();
    reader.join();
    return status_;
  }

  void ran(const app::RunPlan& plan) {
    flush();
    const nlohmann::ordered_json line{{"ran", app::toJson(plan)}};
    fmt::print(output_, "{}\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    std::fflush(output_);
  }

  // Closes the panel in a turn of its own, as the desktop does after a run.
  void closePanel() {
    ++scheduled_;
    main_.post([this] {
      --scheduled_;
      model_.panelDidClose();
      finishIfDone();
    });
  }

 private:
  void read(std::FILE* input) {
    char* buffer = nullptr;
    std::size_t capacity = 0;
    int number = 0;
    for (;;) {
      const ssize_t length = ::getline(&buffer, &capacity, input);
      if (length < 0) break;
      ++number;
      const std::string_view line(buffer, static_cast<std::size_t>(length));
      if (line.find_first_not_of(" \t\r\n") == std::string_view::npos) continue;
      try {
        main_.post([this, ready = prepare(parseSessionEvent(line))] { arrived(ready); });
      } catch (const std::exception& error) {
        fmt::print(stderr, "quillo-cli session: line {}: {}\n", number, error.what());
        main_.post([this] {
          status_ = 2;
          main_.quit();
        });
        break;
      }
    }
    std::free(buffer);
    main_.post([this] {
      inputEnded_ = true;
      finishIfDone();
    });
  }

  void arrived(const ReadyEvent& ready) {
    if (!started_) {
      waiting_.push_back(ready);
      return;
    }
    schedule(ready);
  }

  void schedule(const ReadyEvent& ready) {
    ++scheduled_;
    const auto due =
        std::chrono::ceil<std::chrono::milliseconds>(start_ + ready.event.at - clock_.steadyNow());
    main_.postAfter(std::max(due, std::chrono::milliseconds(0)), [this, ready] {
      --scheduled_;
      apply(ready);
      finishIfDone();
    });
  }

  void apply(const ReadyEvent& ready) {
    const SessionEvent& event = ready.event;
    switch (event.type) {
      case SessionEvent::Type::query:
        model_.setQuery(event.text);
        break;
      case SessionEvent::Type::tab:
        model_.toggleScope();
        break;
      case SessionEvent::Type::open:
        accessibility_.use(ready.tree);
        model_.panelDidOpen(event.frontApp
                                ? std::optional<app::FrontApp>(app::FrontApp{
                                      .pid = 0, .bundleID = *event.frontApp, .name = ready.appName})
                                : std::nullopt);
        break;
      case SessionEvent::Type::close:
        model_.panelDidClose();
        break;
      case SessionEvent::Type::down:
        model_.moveSelection(1);
        break;
      case SessionEvent::Type::up:
        model_.moveSelection(-1);
        break;
      case SessionEvent::Type::run:
        if (model_.rows().empty()) {
          fmt::print(stderr, "quillo-cli session: nothing to run at {} ms\n", event.at.count());
        } else {
          model_.run(model_.rows()[model_.selection()], event.alternate);
        }
        break;
      case SessionEvent::Type::wait:
        break;
    }
  }

  void changed() {
    // The commands loading is the session's start, not a step of it.
    if (!started_) {
      if (model_.commandIndexRevision() == 0) return;
      started_ = true;
      start_ = clock_.steadyNow();
      for (const ReadyEvent& ready : waiting_)
        schedule(ready);
      waiting_.clear();
      finishIfDone();
      return;
    }
    dirty_ = true;
    if (flushPosted_) return;
    flushPosted_ = true;
    main_.post([this] {
      flushPosted_ = false;
      flush();
      finishIfDone();
    });
  }

  void flush() {
    if (!dirty_) return;
    dirty_ = false;
    const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.steadyNow() - start_);
    const auto line = app::sessionStateJson(model_, at, clock_.now());
    fmt::print(output_, "{}\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    std::fflush(output_);
  }

  void finishIfDone() {
    if (started_ && inputEnded_ && scheduled_ == 0 && !flushPosted_ && !model_.busy() &&
        !model_.fileSearch().isIndexing)
      main_.quit();
  }

  app::SearchModel& model_;
  platform::posix::LoopMainQueue& main_;
  SessionAccessibility& accessibility_;
  const platform::Clock& clock_;
  std::FILE* output_;
  std::vector<ReadyEvent> waiting_;
  Clock::time_point start_{};
  bool started_ = false;
  bool inputEnded_ = false;
  bool dirty_ = false;
  bool flushPosted_ = false;
  int scheduled_ = 0;
  int status_ = 0;
  base::Observers::Token modelChanges_;
};

}  // namespace

int runSession(std::span<const std::string> words, std::FILE* input, std::FILE* output) {
  std::vector<std::string> searchWords;
  bool execute = false;
  for (const std::string& word : words) {
    if (word == "--execute") {
      execute = true;
    } else {
      searchWords.push_back(word);
    }
  }
  const Arguments arguments = parseArguments(searchWords, {.takesApplications = true, .takesService = true});
  if (arguments.help) {
    fmt::print(output, "{}", kSessionHelp);
    return 0;
  }
  if (arguments.operands.size() > 1) throw UsageError("session reads one file of events");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
  if (!arguments.operands.empty() && arguments.operands[0] != "-") {
    file.reset(std::fopen(arguments.operands[0].c_str(), "r"));
    if (!file) throw std::runtime_error("cannot read " + arguments.operands[0]);
    input = file.get();
  }

  const platform::posix::PosixSystem system;
  platform::posix::PosixFileSystem files;
  const core::FileDefaultsStore stored(core::FileDefaultsStore::standardPath(system), files);
  // Scope changes and run counts stay in this session.
  core::MemoryDefaultsStore defaults(stored.all());
  core::QuilloPreferences preferences(defaults);
  core::UsageStore usage(defaults);
  core::ServiceOutcome off;
  const auto settings = serviceSettings(arguments, off);
  const auto backend = settings ? connect(*settings, system) : nullptr;

  platform::posix::LoopMainQueue main;
  const platform::SystemClock clock;
  // Before the pool: a called-off menu read may still be reading it until the pool is gone.
  SessionAccessibility accessibility;
  base::WorkerPool pool;
  // The hooks reach the session, which is made after the model.
  Session* session = nullptr;
  app::SearchModelHooks hooks;
  std::unique_ptr<SessionRunner> runner;
  if (execute) runner = std::make_unique<SessionRunner>(main, accessibility, pool, clock);
  // The process calls of this platform's actions (or --platform's), known once the index is built.
  auto calls = std::make_shared<SharedProcessCalls>();
  hooks.runRow = [&session, &runner, &clock, calls](const core::ResultRow& row, bool) {
    const app::RunPlan plan = app::planRun(row, clock.now(), calls->tools());
    session->ran(plan);
    if (runner) runner->carryOut(plan);
  };
  hooks.onRun = [&session] { session->closePanel(); };
  SessionFiles* folders = nullptr;
  hooks.prepareFiles = [&folders] { folders->prepare(); };
  const core::ResolverContext context = core::currentResolverContext(system, clock.now());
  app::SearchModel model({.main = main,
                          .pool = pool,
                          .clock = clock,
                          .preferences = preferences,
                          .usage = usage,
                          .accessibility = accessibility,
                          .backend = backend},
                         hooks, {.routeLog = &std::cerr, .context = context});
  SessionFiles searchFolders(
      model, preferences, system, backend,
      {.homeFolder = system.homeFolder(), .locale = context.locale, .timeZone = context.timeZone}, pool,
      main);
  folders = &searchFolders;
  Session loop(model, main, accessibility, clock, output);
  session = &loop;
  model.refreshCommands([&arguments, &system, &files, calls] {
    auto found = systemIndex(arguments, system, files, "session", stderr);
    calls->set(found.calls);
    return std::move(found.index);
  });
  return loop.run(input);
}

}  // namespace quillo::cli

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "arguments.h"
#include "command_search.h"
#include "commands.h"
#include "headless_workspace.h"
#include "quillo/app/command_runner.h"
#include "quillo/app/run_plan_json.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/posix/loop_main_queue.h"
#include "quillo/platform/posix/posix_accessibility.h"
#include "quillo/platform/posix/posix_apple_events.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_processes.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kRunHelp =
    R"(usage: quillo-cli run [--row N] [--dry-run] [--applications DIR]... QUERY

Finds QUERY's rows exactly as 'quillo-cli search' does and runs row N (the first by default):
applications and URLs open, actions start their system tool, a keep-awake starts a child that
runs on its own until its time. It waits for the children it starts (not for a keep-awake) and
logs what went wrong on standard error: a tool that did not start, a non-zero exit, a refused open.
Bind it to a key of any window manager to run a launcher command without the panel.

With --dry-run nothing runs: it prints what would run as one JSON object, {"id", "title",
"does", "processCall", "target", "keepAwake", "appleEvent", "reason"}, every field present and
null where it does not apply. "does" is one of startProcess, keepAwake, openApplication,
openURL, openFile, revealFile, pressMenuItem, sendAppleEvent, stopKeepingAwake, lockScreen,
nothing; "reason" says why nothing runs (invalidValue, noValue, settingsRow, clipboard).

Exit status: 0 when it ran (or would run); 1 when there is no row N, the row cannot run, a
child did not start or ended with another status, or an open was refused; 2 for a bad
command line.

options:
  --row N               run the Nth row, counting from 1 (default: 1)
  --dry-run             print what would run instead of running it
  --applications DIR    look for applications in DIR instead of the standard folders
  --now, --time-zone, --locale, --service, --key-file, --credential-file, --ca-file
                        as for 'quillo-cli search'
  -h, --help            show this help
)";

namespace {

struct RunOptions {
  std::size_t row = 1;
  bool dryRun = false;
  std::vector<std::string> searchWords;
};

std::size_t parseRow(std::string_view text) {
  std::size_t row = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
  if (error != std::errc() || end != text.data() + text.size() || row == 0)
    throw UsageError("--row takes a whole number of at least 1, not '" + std::string(text) + "'");
  return row;
}

// Takes out the options of run itself; the rest is a search's command line.
RunOptions runOptions(std::span<const std::string> words) {
  RunOptions options;
  for (std::size_t index = 0; index < words.size(); ++index) {
    const std::string& word = words[index];
    if (word == "--") {
      options.searchWords.insert(options.searchWords.end(), words.begin() + index, words.end());
      break;
    }
    if (word == "--dry-run") {
      options.dryRun = true;
    } else if (word.starts_with("--row=")) {
      options.row = parseRow(std::string_view(word).substr(6));
    } else if (word == "--row") {
      if (index + 1 >= words.size()) throw UsageError("--row needs a value");
      options.row = parseRow(words[++index]);
    } else {
      options.searchWords.push_back(word);
    }
  }
  return options;
}

// The processes of this run, counted, so that the loop ends when the last watched child has.
class CountedProcesses final : public platform::Processes {
 public:
  CountedProcesses(platform::Processes& processes, platform::posix::LoopMainQueue& main)
      : processes_(processes), main_(main) {}

  std::shared_ptr<platform::ChildProcess> spawn(const platform::ProcessLaunch& launch,
                                                std::function<void(platform::ProcessExit)> onExit) override {
    std::shared_ptr<platform::ChildProcess> child;
    try {
      child = processes_.spawn(launch, [this, onExit = std::move(onExit)](platform::ProcessExit exit) {
        if (!exit.exited || exit.status != 0) failed_ = true;
        if (onExit) onExit(exit);
        if (--running_ == 0) main_.quit();
      });
    } catch (const platform::ProcessError&) {
      failed_ = true;
      throw;
    }
    if (!launch.detached) ++running_;
    return child;
  }
  std::map<std::string, std::string> environment() const override { return processes_.environment(); }
  platform::ProcessID ownPid() const override { return processes_.ownPid(); }
  int running() const { return running_; }
  // Whether a child did not start or ended other than with status 0.
  bool failed() const { return failed_; }

 private:
  platform::Processes& processes_;
  platform::posix::LoopMainQueue& main_;
  int running_ = 0;
  bool failed_ = false;
};

// Carries the plan out and waits for the children it watches; false when something failed.
bool execute(const app::RunPlan& plan) {
  platform::posix::LoopMainQueue main;
  platform::posix::PosixProcesses posixProcesses(main);
  CountedProcesses processes(posixProcesses, main);
  const app::ChildStarter starter(processes);
  // Nothing here can stop a keep-awake later, so nothing remembers one.
  core::MemoryDefaultsStore defaults;
  app::KeepAwake keepAwake(starter, defaults, {}, app::KeepAwake::Role::detached);
  HeadlessWorkspace workspace;
  platform::posix::PosixAccessibility accessibility;
  platform::posix::PosixAppleEvents events;
  const core::AppleEventSender sender(workspace, events);
  base::WorkerPool pool(2);
  platform::posix::PosixFileSystem files;
  const platform::SystemClock clock;
  app::CommandRunner runner({starter, keepAwake, workspace, accessibility, sender, pool, files, clock});
  runner.carryOut(plan);
  if (processes.running() > 0) main.run();
  pool.waitUntilIdle();
  return !processes.failed() && workspace.refusals() == 0;
}

}  // namespace

int runRun(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const RunOptions options = runOptions(words);
  const Arguments arguments = parseArguments(
      options.searchWords, {.takesApplications = true, .takesClock = true, .takesService = true});
  if (arguments.help) {
    fmt::print(output, "{}", kRunHelp);
    return 0;
  }
  if (arguments.query.empty()) throw UsageError("run needs a query");

  const platform::posix::PosixSystem system;
  const core::ResolverContext context = resolverContext(arguments, system);
  // As many rows as search shows at least, so that row N is the row search shows as N.
  const auto found = searchCommands(arguments, system, context, std::max<std::size_t>(options.row, 8));
  if (found.rows.size() < options.row) {
    fmt::print(stderr, "quillo-cli run: '{}' has {} row{}, not {}\n", arguments.query, found.rows.size(),
               found.rows.size() == 1 ? "" : "s", options.row);
    return 1;
  }
  const app::RunPlan plan = app::planRun(found.rows[options.row - 1].row, context.now);
  const auto* nothing = std::get_if<app::step::Nothing>(&plan.step);
  const bool cannotRun = nothing && (nothing->reason == app::step::Idle::invalidValue ||
                                     nothing->reason == app::step::Idle::noValue);
  if (options.dryRun) {
    fmt::print(output, "{}\n",
               app::toJson(plan).dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    return cannotRun ? 1 : 0;
  }
  return execute(plan) && !cannotRun ? 0 : 1;
}

}  // namespace quillo::cli

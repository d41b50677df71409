#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "quillo/app/action_tools.h"
#include "quillo/app/child_starter.h"
#include "quillo/app/keep_awake.h"
#include "quillo/app/run_plan.h"
#include "quillo/base/url.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/capabilities/apple_event_sender.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/commands/result_row.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/workspace.h"

namespace quillo::app {

// What the command runner works through. Everything must outlive the runner.
struct CommandRunnerServices {
  const ChildStarter& children;
  KeepAwake& keepAwake;
  platform::Workspace& workspace;
  // Menu presses and Apple events block: they run on the pool.
  platform::Accessibility& accessibility;
  const core::AppleEventSender& appleEvents;
  base::WorkerPool& pool;
  // Where the system's own lock call is loaded from.
  platform::FileSystem& files;
  const platform::Clock& clock;
};

// Runs what the user chose: result rows, commands by their target, files. Outcomes go to the
// log (category "run") and nowhere else. Called on the main thread; launching never waits for a
// child, and presses and Apple events run on the pool.
class CommandRunner {
 public:
  explicit CommandRunner(CommandRunnerServices services, ActionTools tools = {});

  void run(const core::ResultRow& row);
  void run(const core::Command& command);
  // Opens the file with its default application, or reveals it selected in the file manager.
  void runFile(const core::Command& command, const base::Url& file, bool open);
  // Starts a child in the launcher's environment (the service key removed); `whenDone` gets how
  // it ended, on the main thread. Null when it did not start.
  std::shared_ptr<platform::ChildProcess> start(const core::ProcessCall& call, std::string_view title,
                                                ChildStarter::WhenDone whenDone = {});
  // Carries out a plan made by planRun.
  void carryOut(const RunPlan& plan);

  const ActionTools& tools() const { return tools_; }

 private:
  void lockScreen(const RunPlan& plan, const step::LockScreen& lock);
  void open(const RunPlan& plan, const std::function<void()>& opening, bool withReason);

  CommandRunnerServices services_;
  ActionTools tools_;
};

}  // namespace quillo::app

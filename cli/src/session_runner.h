#pragma once

#include "headless_workspace.h"
#include "quillo/app/command_runner.h"
#include "quillo/app/keep_awake.h"
#include "quillo/core/capabilities/apple_event_sender.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/posix/posix_apple_events.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_processes.h"

namespace quillo::cli {

// What carries out a session's runs with --execute: the command runner over this machine's
// processes, as `quillo-cli run` carries one out. Nothing here can stop a keep-awake later, so
// a keep-awake is a detached child that ends at its time and writes nothing. Main thread only.
class SessionRunner {
 public:
  SessionRunner(platform::MainQueue& main, platform::Accessibility& accessibility, base::WorkerPool& pool,
                const platform::Clock& clock);

  void carryOut(const app::RunPlan& plan) { runner_.carryOut(plan); }

 private:
  platform::posix::PosixProcesses processes_;
  app::ChildStarter starter_;
  core::MemoryDefaultsStore defaults_;
  app::KeepAwake keepAwake_;
  HeadlessWorkspace workspace_;
  platform::posix::PosixAppleEvents events_;
  core::AppleEventSender sender_;
  platform::posix::PosixFileSystem files_;
  app::CommandRunner runner_;
};

}  // namespace quillo::cli

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "quillo/core/actions/process_call.h"
#include "quillo/platform/processes.h"

namespace quillo::app {

// How a child relates to the launcher's life.
enum class ChildLife {
  independent,       // runs on after the launcher, but is watched while the launcher runs
  endsWithLauncher,  // ends when the launcher ends
  detached,          // a session of its own, never watched: for programs that exit at once
};

// Starts the launcher's child processes and logs what becomes of them (category "run"): a
// launch failure, a non-zero exit. Main thread only; `processes` must outlive it.
class ChildStarter {
 public:
  using WhenDone = std::function<void(platform::ProcessExit)>;

  explicit ChildStarter(platform::Processes& processes) : processes_(processes) {}

  // Starts `call` without a shell in the launcher's environment without "REDIZEDA_API_KEY".
  // `whenDone` gets how it ended, on the main thread. Null (and a log line) when it did not start.
  std::shared_ptr<platform::ChildProcess> start(const core::ProcessCall& call, std::string_view title,
                                                WhenDone whenDone = {},
                                                ChildLife life = ChildLife::independent) const;

  // The environment children get: the launcher's own, with only the service key removed.
  std::map<std::string, std::string> childEnvironment() const;

  platform::Processes& processes() const { return processes_; }

 private:
  platform::Processes& processes_;
};

}  // namespace quillo::app

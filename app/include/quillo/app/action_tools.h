#pragma once

#include <functional>
#include <optional>

#include "quillo/base/date.h"
#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/actions/process_call.h"

namespace quillo::app {

// The system tools the built-in actions run on this platform. The defaults are macOS's: its
// process-call table, the login framework's lock call, and a keep-awake tool that is told which
// process to outlive ("-w" and the launcher's process identifier).
struct ActionTools {
  using ProcessCallFunction =
      std::function<std::optional<core::ProcessCall>(const core::ActionInvocation&, base::Date now)>;

  ProcessCallFunction processCall = core::processCall;
  // The child that locks the screen where locking is a program; none where the system has a lock
  // call of its own.
  std::optional<core::ProcessCall> lockScreen;
  // Whether the keep-awake child gets "-w" and the launcher's process identifier in front of its
  // arguments; where it does not, it ends with the launcher through the process seam instead.
  bool keepAwakeWatchesLauncher = true;
};

}  // namespace quillo::app

#pragma once

#include <sys/types.h>

#include "quillo/platform/processes.h"
#include "unique_fd.h"

namespace quillo::platform::posix {

struct LaunchedChild {
  pid_t pid = 0;
  // Signals the child without the risk of a reused process identifier; invalid when a detached
  // child has already ended.
  UniqueFd pidfd;
};

// Starts the child that `launch` describes: posix_spawn for a plain child, fork and exec where
// the child must set something first (its parent-death signal, a session of its own). A detached
// child is the grandchild of a double fork, so it is never ours to wait for. Throws ProcessError
// with the system's description when it cannot be started, the program's failed exec included.
LaunchedChild launchChild(const ProcessLaunch& launch);

}  // namespace quillo::platform::posix

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/platform/accessibility.h"

namespace quillo::platform {

// A child could not be started; what() is the system's description.
class ProcessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How a child ended: a normal exit with its status, or a signal.
struct ProcessExit {
  bool exited = true;
  int status = 0;  // the exit status when `exited`, else the signal number
  bool operator==(const ProcessExit&) const = default;
};

struct ProcessLaunch {
  std::string executable;  // an absolute path; no shell and no PATH search
  std::vector<std::string> arguments;
  // The child's whole environment.
  std::map<std::string, std::string> environment;
  // The child gets SIGTERM when the thread that started it ends (Linux), so that it never
  // outlives the program that owns it.
  bool endsWithParent = false;
  // The child runs in a session of its own and is never waited for: it outlives us.
  bool detached = false;
};

// A started child. Dropping the handle neither waits for nor ends the child.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  virtual ProcessID pid() const = 0;
  // Asks the child to end (SIGTERM). Does nothing once it has ended.
  virtual void terminate() = 0;
};

// Child processes of the program. `onExit` runs on the main queue once the child has ended.
class Processes {
 public:
  virtual ~Processes() = default;

  // Throws ProcessError when the child cannot be started.
  virtual std::shared_ptr<ChildProcess> spawn(const ProcessLaunch& launch,
                                              std::function<void(ProcessExit)> onExit) = 0;
  // This program's own environment.
  virtual std::map<std::string, std::string> environment() const = 0;
  virtual ProcessID ownPid() const = 0;
};

}  // namespace quillo::platform

#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/platform/accessibility.h"

namespace quillo::platform {

// An application could not be opened; what() is the system's description.
class WorkspaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunningApplication {
  ProcessID pid = 0;
  std::optional<std::string> bundleID;
  // The path of its bundle, when it has one.
  std::optional<std::string> bundlePath;
  bool operator==(const RunningApplication&) const = default;
};

// The user's applications as the desktop sees them. Implementations are safe for concurrent use.
class Workspace {
 public:
  virtual ~Workspace() = default;

  virtual std::vector<RunningApplication> runningApplications() = 0;
  // The path with every symbolic link resolved; the path as given when it cannot be resolved.
  virtual std::string resolvedPath(const std::string& path) = 0;
  // Opens the application bundle at `path` without bringing it to the front and without adding
  // it to the recent items, and returns its process. Throws WorkspaceError when it cannot.
  virtual ProcessID openInBackground(const std::string& path) = 0;
};

}  // namespace quillo::platform

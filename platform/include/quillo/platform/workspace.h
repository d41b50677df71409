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

// The application in front, which receives key presses.
struct FrontApplication {
  ProcessID pid = 0;
  // Its bundle identifier on macOS; on Linux its desktop-file id without ".desktop", subfolders
  // joined with "-" ("org.gnome.Terminal"). Empty when unknown.
  std::string id{};
  // Its localised name; empty when unknown.
  std::string name{};
  // The window's class ("XTerm" on X11; a Wayland window's app id where the compositor tells it),
  // for applications without a desktop file; empty where the session does not say.
  std::string windowClass{};
  bool operator==(const FrontApplication&) const = default;
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

  // Opens an application the way the desktop does: a bundle path on macOS, a desktop-file id
  // ("org.gnome.Calculator") or the path of a desktop entry on Linux. Throws WorkspaceError when it cannot.
  virtual void openApplication(const std::string& application) = 0;
  // Runs one of an application's own actions ("new-private-window" of a desktop entry), given as
  // openApplication takes the application. Throws WorkspaceError when it cannot; systems whose
  // applications have no such actions always do.
  virtual void openApplicationAction(const std::string& application, const std::string& action) {
    throw WorkspaceError(application + " has no action " + action + ".");
  }
  // Opens a URL with the user's default handler (folders in the file manager, web pages in the
  // browser, settings addresses in the settings). Throws WorkspaceError when it is refused.
  virtual void openURL(const std::string& url) = 0;
  // Opens a file with its default application. Throws WorkspaceError when it is refused.
  virtual void openFile(const std::string& path) = 0;
  // Shows the file selected in the file manager (its folder where it cannot be selected).
  // Throws WorkspaceError when it is refused.
  virtual void revealFile(const std::string& path) = 0;

  // The application in front; none when there is none or the session does not say (a Wayland
  // desktop that hides it reports none rather than a wrong one).
  virtual std::optional<FrontApplication> frontApplication() { return std::nullopt; }
};

}  // namespace quillo::platform

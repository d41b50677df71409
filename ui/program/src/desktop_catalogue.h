#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"
#include "quillo/platform/workspace.h"

namespace quillo::ui {

// The launcher's commands on this desktop: the applications of the desktop's entries (as the
// session's desktops show them, in the user's language), the settings panes and actions of the
// tools on PATH, and the user's folders. Builds in the calling thread; the application runs it on
// a worker. `system` and `files` must outlive what it returns.
class DesktopCatalogue {
 public:
  DesktopCatalogue(const platform::System& system, const platform::FileSystem& files);

  // The tools found on PATH for this session, and the process calls of the actions with them.
  const core::LinuxTools& tools() const { return tools_; }
  core::ProcessCalls calls() const { return core::ProcessCalls::linuxDesktop(tools_); }
  const std::vector<std::filesystem::path>& entryFolders() const { return folders_; }

  core::CommandIndex index() const;
  // The application entry of a window class ("Gnome-terminal" or its instance name): the entry
  // whose id, or the last part of a reverse-domain id, is that name in any case. Reads what the
  // last index() found; none before it or for classes without an entry. Safe on any thread.
  struct Entry {
    std::string id;
    std::string name;
  };
  std::optional<Entry> entryOfClass(const std::string& className, const std::string& instanceName) const;

  // The workspace that opens applications from these entries, with the session's environment.
  std::unique_ptr<platform::Workspace> workspace() const;

 private:
  const platform::System& system_;
  const platform::FileSystem& files_;
  core::LinuxTools tools_;
  std::vector<std::filesystem::path> folders_;
  mutable std::mutex mutex_;
  mutable std::vector<Entry> entries_;
};

}  // namespace quillo::ui

#pragma once

#include <filesystem>
#include <string>

#include "quillo/platform/accessibility.h"

namespace quillo::platform::desktop {

// What the system says about a process that tells which application it is.
struct ProcessIdentity {
  ProcessID pid = 0;
  // The file name of its program ("gnome-terminal-server"); empty when it cannot be read.
  std::string executable{};
  // The desktop-file id (without ".desktop") of the entry it was started from, where that is
  // certain: the launcher's note in its environment naming this very process, or the session's
  // application scope named after it. Empty otherwise.
  std::string desktopFileId{};
  bool operator==(const ProcessIdentity&) const = default;
};

// Reads a process's identity from the process table (`processes`, normally /proc).
ProcessIdentity identifyProcess(ProcessID pid, const std::filesystem::path& processes = "/proc");

// The desktop-file id in the name of a session's application scope
// ("app-gnome-org.gnome.Terminal-4242.scope"), when the scope names process `pid` as the one
// it was made for; none otherwise (a scope inherited from another program says nothing certain).
std::string desktopFileIdOfScope(const std::string& unit, ProcessID pid);

}  // namespace quillo::platform::desktop

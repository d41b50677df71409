#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillo/core/index/desktop_application.h"
#include "quillo/core/index/named_user_folders.h"
#include "quillo/platform/workspace.h"

// libquillo-gio.so: the desktop's applications and opening things as the desktop does, over
// GLib/GIO. A library of its own so that only the commands that list or open applications load
// GLib; the tests and the desktop application link it directly.
namespace quillo::gio {

struct DesktopEntryOptions {
  // Folders of desktop entries, most important first (core::desktopEntryFolders).
  std::vector<std::filesystem::path> folders{};
  // The desktops of this session, in order (XDG_CURRENT_DESKTOP split at ":"), for OnlyShowIn
  // and NotShowIn.
  std::vector<std::string> currentDesktops{};
  // The user's locale ("de_CH") for translated names; empty for the untranslated ones.
  std::string locale{};
};

struct DesktopEntries {
  std::vector<core::DesktopApplication> applications;  // in folder order, then by path
  // One line per entry that could not be read ("PATH: why"); such entries are left out.
  std::vector<std::string> warnings;
};

// The applications the desktop shows, each desktop-file id taken from the first folder that has
// it: an entry that is Hidden, NoDisplay, shown only in other desktops or not in this one, or
// whose TryExec program is missing hides the entries of that id in later folders and is not
// listed itself. Safe to call from any thread.
DesktopEntries readDesktopEntries(const DesktopEntryOptions& options);

struct WorkspaceOptions {
  // Where desktop-file ids are looked up (core::desktopEntryFolders).
  std::vector<std::filesystem::path> folders{};
  // The session's environment, which opened applications get in place of this program's own.
  std::map<std::string, std::string> environment{};
  // Variables this program set for itself, never passed on.
  std::vector<std::string> ownVariables{"REDIZEDA_API_KEY"};
  // The desktop's activation token for the next launch (startup notification), when the front
  // end has one; given to applications whose entry asks for startup notification.
  std::function<std::optional<std::string>()> activationToken{};
};

// The opening half of the workspace on a Linux desktop: applications launched from their desktop
// entries (field codes, Terminal=true, D-Bus activation), URLs and files opened with the user's
// default handlers, files revealed through the file manager's D-Bus interface. Running
// applications are not its business: it reports none. Safe for concurrent use.
std::unique_ptr<platform::Workspace> makeWorkspace(const WorkspaceOptions& options);

// The user's folders of the XDG user-dirs file (user-dirs.dirs); none when it names none.
using UserFolders = core::NamedUserFolders;
UserFolders userFolders();

// Asks the running Quillo on the session bus to search its live file index (the method
// SearchFiles of "dev.tarnwick.Quillo.Files" at "/dev/tarnwick/Quillo/Files" under the bus name
// "dev.tarnwick.Quillo"), waiting at most `timeoutMs`. Its answer (app::FileSearchAnswer's JSON),
// or none when there is no session bus, no running program, or no answer in time: the caller
// then searches by itself. Never starts the program.
std::optional<std::string> searchFilesInRunningApp(const std::string& query, int limit, int timeoutMs);

inline constexpr const char* kRunningAppName = "dev.tarnwick.Quillo";
inline constexpr const char* kFileSearchPath = "/dev/tarnwick/Quillo/Files";
inline constexpr const char* kFileSearchInterface = "dev.tarnwick.Quillo.Files";

// What a program that loads libquillo-gio at run time finds under `kEntrySymbol`.
struct LibraryEntry {
  int abiVersion = 0;
  DesktopEntries (*readDesktopEntries)(const DesktopEntryOptions& options) = nullptr;
  std::unique_ptr<platform::Workspace> (*makeWorkspace)(const WorkspaceOptions& options) = nullptr;
  UserFolders (*userFolders)() = nullptr;
  std::optional<std::string> (*searchFilesInRunningApp)(const std::string& query, int limit,
                                                        int timeoutMs) = nullptr;
};

inline constexpr int kAbiVersion = 2;
inline constexpr const char* kEntrySymbol = "quillo_gio_entry";
inline constexpr const char* kLibraryName = "libquillo-gio.so";

}  // namespace quillo::gio

extern "C" const quillo::gio::LibraryEntry* quillo_gio_entry() noexcept;

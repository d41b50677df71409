#include "running_app_search.h"

#include <algorithm>
#include <climits>

#include "desktop_library.h"

namespace quillo::cli {
namespace {

// The program answers from memory in milliseconds; one that takes longer is busy or stuck, and
// a search of the saved index is quicker than waiting on.
constexpr int kTimeoutMs = 400;

std::vector<std::string> sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

std::optional<app::FileSearchAnswer> runningAppFileSearch(const std::string& query, std::size_t limit,
                                                          const std::vector<std::string>& folders,
                                                          const platform::System& system,
                                                          const platform::FileSystem& files) {
  // Without a bus there is nobody to ask, and GLib need not be loaded at all.
  if (system.environment("DBUS_SESSION_BUS_ADDRESS").value_or("").empty() &&
      system.environment("XDG_RUNTIME_DIR").value_or("").empty())
    return std::nullopt;
  // Nor when the program does not hold its lock: it is not running, and asking the bus to hear
  // so (GLib loaded, a connection made, a call refused) costs milliseconds.
  if (const auto lock = app::fileSearchLockPath(system); lock && !files.lockedElsewhere(*lock))
    return std::nullopt;
  try {
    const auto text = desktopLibrary().searchFilesInRunningApp(
        query, static_cast<int>(std::min<std::size_t>(limit, INT_MAX)), kTimeoutMs);
    if (!text) return std::nullopt;
    app::FileSearchAnswer answer = app::fileSearchAnswerFromJson(*text);
    if (sorted(answer.folders) != sorted(folders)) return std::nullopt;
    return answer;
  } catch (const std::exception&) {
    // A program of another version, or a library that cannot be loaded: search here.
    return std::nullopt;
  }
}

}  // namespace quillo::cli

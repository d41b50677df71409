#include "quillo/core/index/desktop_entry_folders.h"

#include <algorithm>
#include <string_view>

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDefaultDataDirs = "/usr/local/share:/usr/share";

void addOnce(std::vector<fs::path>& folders, const fs::path& folder) {
  if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
}

}  // namespace

std::vector<fs::path> desktopEntryFolders(const platform::System& system) {
  const fs::path dataHome = platform::xdgFolder(system, base::XdgFolder::data);
  std::vector<fs::path> folders{dataHome / "applications"};

  std::string dataDirs = system.environment("XDG_DATA_DIRS").value_or("");
  if (dataDirs.empty()) dataDirs = kDefaultDataDirs;
  std::string_view rest(dataDirs);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const fs::path folder(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    if (folder.is_absolute()) addOnce(folders, folder / "applications");
  }

  addOnce(folders, dataHome / "flatpak/exports/share/applications");
  addOnce(folders, "/var/lib/flatpak/exports/share/applications");
  addOnce(folders, "/var/lib/snapd/desktop/applications");
  return folders;
}

}  // namespace quillo::core

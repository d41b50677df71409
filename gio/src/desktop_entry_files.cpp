#include "desktop_entry_files.h"

#include <algorithm>
#include <unordered_set>

namespace quillo::gio {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSuffix = ".desktop";

// "kde/konsole.desktop" below its folder is "kde-konsole".
std::string idOf(const fs::path& relative) {
  std::string id = relative.generic_string();
  id.resize(id.size() - kSuffix.size());
  std::replace(id.begin(), id.end(), '/', '-');
  return id;
}

std::vector<fs::path> entryPaths(const fs::path& folder) {
  std::vector<fs::path> paths;
  std::error_code error;
  auto walk = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::path& path = walk->path();
    std::error_code kindError;
    // Exports of Flatpak and Snap are symbolic links to the real entries.
    if (path.filename().string().ends_with(kSuffix) && walk->is_regular_file(kindError))
      paths.push_back(path);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

std::vector<DesktopEntryFile> desktopEntryFiles(const std::vector<fs::path>& folders) {
  std::vector<DesktopEntryFile> files;
  std::unordered_set<std::string> ids;
  for (const fs::path& folder : folders) {
    for (const fs::path& path : entryPaths(folder)) {
      std::string id = idOf(path.lexically_relative(folder));
      if (ids.insert(id).second) files.push_back({std::move(id), path});
    }
  }
  return files;
}

std::optional<fs::path> desktopEntryFile(const std::vector<fs::path>& folders, const std::string& id) {
  const std::string wanted = id.ends_with(kSuffix) ? id.substr(0, id.size() - kSuffix.size()) : id;
  for (const DesktopEntryFile& file : desktopEntryFiles(folders)) {
    if (file.id == wanted) return file.path;
  }
  return std::nullopt;
}

}  // namespace quillo::gio

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillo::gio {

struct DesktopEntryFile {
  std::string id;  // the desktop-file id without ".desktop"
  std::filesystem::path path;
};

// Every ".desktop" file under `folders` (and their subfolders), one per desktop-file id: the
// first folder that has an id wins. Within a folder, files come in path order. Folders that
// cannot be read give nothing.
std::vector<DesktopEntryFile> desktopEntryFiles(const std::vector<std::filesystem::path>& folders);

// The entry file of a desktop-file id (with or without ".desktop"), as desktopEntryFiles picks it.
std::optional<std::filesystem::path> desktopEntryFile(const std::vector<std::filesystem::path>& folders,
                                                      const std::string& id);

}  // namespace quillo::gio

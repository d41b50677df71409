#pragma once

#include <string>

#include "quillo/core/commands/command.h"
#include "quillo/core/files/file_entry.h"

namespace quillo::core {

// What the file rows' texts depend on: whose home folder "~" stands for, the locale sizes are
// written in and the time zone that decides a file's day.
struct FileDisplay {
  std::string homeFolder;
  std::string locale = "en_US";
  std::string timeZone = "UTC";
};

// The launcher's row for a file or folder of the index: "file." or "folder." and the path as
// its id, the name as its title, and "folder · size · day" (or "folder · Folder") beneath.
Command fileCommand(const FileEntry& entry, const FileDisplay& display);

// The last component of a file URL's path.
std::string fileName(const base::Url& url);

}  // namespace quillo::core

#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "arguments.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"
#include "quillo/platform/workspace.h"

namespace quillo::cli {

// The system index a command searches and the process calls its actions run with: this
// platform's, or the one --platform names. On Linux the applications come from desktop entries
// (the desktop's folders, or --desktop-entries), the panes and actions from the tools on PATH.
struct SystemIndex {
  core::CommandIndex index;
  core::ProcessCalls calls;
};

// Desktop entries that could not be read, and a desktop library that could not be loaded, are
// reported on `errors` as warnings of `command`; the rest of the index is still built.
SystemIndex systemIndex(const Arguments& arguments, const platform::System& system,
                        const platform::FileSystem& files, const char* command, std::FILE* errors);

// The folders of desktop entries: --desktop-entries, else the desktop's own.
std::vector<std::filesystem::path> desktopEntryFolders(const Arguments& arguments,
                                                       const platform::System& system);

// The workspace that opens applications, their actions, URLs and files on a Linux desktop:
// libquillo-gio's, finding desktop-file ids where the index found them and giving applications
// this process's environment less REDIZEDA_API_KEY. Throws std::runtime_error when the library
// cannot be loaded.
std::unique_ptr<platform::Workspace> desktopWorkspace(const Arguments& arguments,
                                                      const platform::System& system);

}  // namespace quillo::cli

#pragma once

#include <cstdio>

#include "arguments.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

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

}  // namespace quillo::cli

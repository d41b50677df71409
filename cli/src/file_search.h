#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/preferences/defaults_value.h"
#include "quillo/core/values/resolver_context.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// The search folders as the preferences store them.
struct StoredFolders {
  std::vector<std::string> paths;
  std::map<std::string, core::DefaultsValue::Data> bookmarks;
};
// Folder path to why it cannot be searched.
using FolderFailures = std::map<std::string, std::string>;
// Hears of a folder whose stale bookmark was renewed (path, the folder's URL now, the new bookmark).
using RefreshedBookmark =
    std::function<void(const std::string&, const base::Url&, core::DefaultsValue::Data)>;

// The index of the search folders after its first scan (a saved index makes that quick); the
// folders that cannot be searched are added to `failures`. Reads the disk: never on a main thread.
// Throws core::FffLibraryError when the file index library cannot be loaded.
std::shared_ptr<core::FileIndex> openFileIndex(const StoredFolders& folders, const platform::System& system,
                                               const core::FileDisplay& display, FolderFailures& failures,
                                               const RefreshedBookmark& refreshed = {});

// `quillo-cli search --scope files`: the file rows for the query from the search folders,
// routed as the launcher routes them.
int searchFiles(const Arguments& arguments, const platform::System& system,
                const core::ResolverContext& context, std::FILE* output);

}  // namespace quillo::cli

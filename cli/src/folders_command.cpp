#include <fmt/format.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "file_index_library.h"
#include "quillo/core/files/file_folder_access.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kFoldersHelp = R"(usage: quillo-cli folders add DIR...
       quillo-cli folders list [--json]
       quillo-cli folders remove DIR

The folders file search looks in. "add" checks each folder as the folder picker does (not the
whole disk or home folder, and a folder that exists) and keeps a bookmark of it; when one is
refused, its reason is printed and nothing changes. "list" shows each folder and whether it can
be searched now (a folder replaced since it was added is bookmarked again); it indexes each one
that can, and says when the index is incomplete and why (folders inside that cannot be read).
"remove" forgets a folder.

options:
  --json      print the list as JSON: [{"path", "state", "message"}], state being "ok",
              "incomplete", "choose-again" or "unavailable"
  -h, --help  show this help
)";

namespace {

std::string absolute(const std::string& path) {
  return core::standardisedPath(std::filesystem::absolute(std::filesystem::path(path)).string());
}

struct FolderState {
  std::string path;
  std::string state;  // "ok", "incomplete", "choose-again" or "unavailable"
  std::string message;
  std::unique_ptr<core::FileFolderAccess> access;  // while the folder is indexed
};

FolderState check(core::QuilloPreferences& preferences, platform::Bookmarks& bookmarks,
                  const platform::FileSystem& files, const std::string& path, const std::string& home) {
  const auto stored = preferences.fileSearchBookmarks().find(path);
  if (stored == preferences.fileSearchBookmarks().end())
    return {path, "choose-again", "This folder has no bookmark. Add it again.", nullptr};
  try {
    auto access = std::make_unique<core::FileFolderAccess>(stored->second.bytes, bookmarks, files, home);
    if (const auto& refreshed = access->refreshedBookmark())
      preferences.refreshFileSearchBookmark(path, access->url(), core::DefaultsValue::Data{*refreshed});
    return {path, "ok", "", std::move(access)};
  } catch (const core::FileFolderAccess::AccessError& error) {
    return {path,
            error.which() == core::FileFolderAccess::AccessError::Case::unavailable ? "unavailable"
                                                                                    : "choose-again",
            error.what(), nullptr};
  } catch (const std::exception& error) {
    return {path, "unavailable", error.what(), nullptr};
  }
}

// Indexes the folders that can be searched and marks those whose index is incomplete, or that
// could not be indexed at all, with the reason.
void checkIndexes(std::vector<FolderState>& states, const platform::System& system,
                  platform::FileSystem& files) {
  std::vector<base::Url> folders;
  std::vector<std::unique_ptr<core::FileFolderAccess>> access;
  for (FolderState& state : states) {
    if (!state.access) continue;
    folders.push_back(state.access->url());
    access.push_back(std::move(state.access));
  }
  if (folders.empty()) return;
  core::FileIndex index(folders, std::move(access), loadFileIndexLibrary(files),
                        core::FileIndex::Options{.display = {.homeFolder = system.homeFolder()},
                                                 .scanPoll = std::chrono::milliseconds(2),
                                                 .files = &files,
                                                 .watch = false,
                                                 .savedIndexFolder = fileIndexCacheFolder(system)});
  index.waitForInitialScan({});
  const auto incomplete = index.incompleteFolders();
  for (FolderState& state : states) {
    if (state.state != "ok") continue;
    if (const auto found = index.failedFolders().find(state.path); found != index.failedFolders().end())
      state = {state.path, "unavailable", found->second, nullptr};
    else if (const auto partial = incomplete.find(state.path); partial != incomplete.end())
      state = {state.path, "incomplete", partial->second, nullptr};
  }
}

}  // namespace

int runFolders(std::span<const std::string> words, std::FILE*, std::FILE* output) {
  const Arguments arguments = parseArguments(words, {});
  if (arguments.help) {
    fmt::print(output, "{}", kFoldersHelp);
    return 0;
  }
  const auto& operands = arguments.operands;
  if (operands.empty()) throw UsageError("say add, list or remove");
  const std::string& action = operands[0];

  const platform::posix::PosixSystem system;
  platform::posix::PosixBookmarks bookmarks;
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
  core::QuilloPreferences preferences(defaults);

  if (action == "add") {
    if (operands.size() < 2) throw UsageError("add takes one or more folders");
    std::vector<base::Url> folders;
    for (std::size_t k = 1; k < operands.size(); ++k)
      folders.push_back(base::Url::file(absolute(operands[k])));
    try {
      preferences.authorizeFileSearchFolders(folders, std::nullopt, bookmarks, files, system.homeFolder());
    } catch (const core::FileFolderAccess::AccessError& error) {
      fmt::print(stderr, "quillo-cli folders: {}\n", error.what());
      return 1;
    }
    for (const base::Url& folder : folders)
      fmt::print(output, "{}\n", folder.filePath().value_or(folder.text));
    return 0;
  }
  if (action == "list") {
    if (operands.size() != 1) throw UsageError("list takes no folders");
    std::vector<FolderState> states;
    for (const std::string& path : std::vector<std::string>(preferences.fileSearchPaths()))
      states.push_back(check(preferences, bookmarks, files, path, system.homeFolder()));
    checkIndexes(states, system, files);
    if (arguments.json) {
      nlohmann::json list = nlohmann::json::array();
      for (const FolderState& state : states)
        list.push_back(
            {{"path", state.path},
             {"state", state.state},
             {"message", state.message.empty() ? nlohmann::json() : nlohmann::json(state.message)}});
      fmt::print(output, "{}\n", list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    } else {
      for (const FolderState& state : states)
        fmt::print(output, "{}{}\n", state.path, state.message.empty() ? "" : "  (" + state.message + ")");
    }
    return 0;
  }
  if (action == "remove") {
    if (operands.size() != 2) throw UsageError("remove takes one folder");
    const std::string path = absolute(operands[1]);
    std::vector<std::string> paths = preferences.fileSearchPaths();
    if (std::erase(paths, path) == 0) {
      fmt::print(stderr, "quillo-cli folders: {} is not a search folder\n", path);
      return 1;
    }
    preferences.setFileSearchPaths(std::move(paths));
    return 0;
  }
  throw UsageError("unknown action '" + action + "'; say add, list or remove");
}

}  // namespace quillo::cli

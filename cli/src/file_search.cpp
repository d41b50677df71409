#include "file_search.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <iostream>
#include <nlohmann/json.hpp>

#include "file_index_library.h"
#include "quillo/app/search_json.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/files/file_ranker.h"
#include "quillo/core/files/file_route.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/results/file_results.h"
#include "quillo/core/search/service_questions.h"
#include "quillo/core/service/ravo_questions.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/process_end.h"
#include "running_app_search.h"
#include "service_settings.h"

namespace quillo::cli {
namespace {

// The disk, for as long as the file index and its ranker live.
platform::posix::PosixFileSystem& disk() {
  static platform::posix::PosixFileSystem files;
  return files;
}

// The search folders that can be opened now; the others go to `failures`.
std::vector<std::unique_ptr<core::FileFolderAccess>> openFolders(const StoredFolders& folders,
                                                                 platform::Bookmarks& bookmarks,
                                                                 const std::string& home,
                                                                 FolderFailures& failures,
                                                                 const RefreshedBookmark& refreshed) {
  std::vector<std::unique_ptr<core::FileFolderAccess>> opened;
  for (const std::string& path : folders.paths) {
    const auto stored = folders.bookmarks.find(path);
    try {
      if (stored == folders.bookmarks.end())
        throw std::runtime_error("This folder has no bookmark. Add it again with quillo-cli folders add.");
      auto access = std::make_unique<core::FileFolderAccess>(stored->second.bytes, bookmarks, disk(), home);
      if (const auto& renewed = access->refreshedBookmark(); renewed && refreshed)
        refreshed(path, access->url(), core::DefaultsValue::Data{*renewed});
      opened.push_back(std::move(access));
    } catch (const std::exception& error) {
      failures[path] = error.what();
    }
  }
  return opened;
}

std::shared_ptr<core::FileIndex> buildIndex(std::vector<std::unique_ptr<core::FileFolderAccess>> access,
                                            const core::FileDisplay& display,
                                            const std::string& savedIndexFolder, FolderFailures& failures) {
  std::vector<base::Url> folders;
  for (const auto& folder : access)
    folders.push_back(folder->url());
  // Without the library there is nothing to search: its error ends the command.
  auto index =
      std::make_shared<core::FileIndex>(folders, std::move(access), loadFileIndexLibrary(disk()),
                                        core::FileIndex::Options{.display = display,
                                                                 .files = &disk(),
                                                                 .watch = false,
                                                                 .savedIndexFolder = savedIndexFolder,
                                                                 // The command ends with its answer, not once
                                                                 // a first scan's index is written.
                                                                 .saveDetached = true});
  for (const auto& [path, message] : index->failedFolders())
    failures[path] = message;
  return index;
}

// Waits for the search folders' first scans (or their saved indexes' checks), telling how many
// are done.
void waitForIndexed(core::FileIndex& index) {
  if (index.rootCount() == 0) return;
  const bool interactive = ::isatty(STDERR_FILENO) != 0;
  index.waitForInitialScan({}, [&](std::size_t done, std::size_t total) {
    if (interactive || done == total)
      fmt::print(stderr, "quillo-cli search: indexed {} of {} search folders{}", done, total,
                 interactive && done < total ? "\r" : "\n");
  });
}

std::shared_ptr<core::FileIndex> createFileIndex(const StoredFolders& folders, const platform::System& system,
                                                 const core::FileDisplay& display, FolderFailures& failures,
                                                 const RefreshedBookmark& refreshed) {
  platform::posix::PosixBookmarks bookmarks;
  return buildIndex(openFolders(folders, bookmarks, system.homeFolder(), failures, refreshed), display,
                    fileIndexCacheFolder(system), failures);
}

// The rows a local search gives: the search folders whose names match, and the files and
// folders found in them.
struct LocalRows {
  std::vector<core::LocalHit> folders;
  std::vector<core::LocalHit> names;
};

LocalRows localRows(core::FileIndex& index, const std::string& query, std::size_t limit) {
  return {.folders = index.rootHits(query), .names = index.filenameHits(query, static_cast<int>(limit))};
}

// The answer is complete: it goes out now, and a reader of standard output sees its end here,
// not once the index of a first scan has been written to the cache as the index is released.
void endOutput(std::FILE* output) {
  std::fflush(output);
  if (output != stdout) return;
  const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0) return;
  ::dup2(nowhere, STDOUT_FILENO);
  ::close(nowhere);
}

// The answer is out and the command ends here: the index, tens of megabytes in many blocks
// after a first scan, goes back with the process rather than being freed block by block, and
// after the shell has seen the command end. Its scans stop first, which starts a first scan's
// detached save. A build whose ending leaves no helper (a sanitizer's) returns as usual, so
// that its leak check sees the whole command.
void endCommand(std::FILE* output, const std::shared_ptr<core::FileIndex>& index) {
  endOutput(output);
  if (!platform::posix::endingLeavesMemoryToHelper() || output != stdout || !index) return;
  index->stopScans();
  std::fflush(stderr);
  platform::posix::endProcessNow(0);
}

}  // namespace

std::shared_ptr<core::FileIndex> openFileIndex(const StoredFolders& folders, const platform::System& system,
                                               const core::FileDisplay& display, FolderFailures& failures,
                                               const RefreshedBookmark& refreshed) {
  auto index = createFileIndex(folders, system, display, failures, refreshed);
  waitForIndexed(*index);
  return index;
}

int searchFiles(const Arguments& arguments, const platform::System& system,
                const core::ResolverContext& context, std::FILE* output) {
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
  core::QuilloPreferences preferences(defaults);
  if (!preferences.fileSearchSetupCompleted() || preferences.fileSearchPaths().empty()) {
    fmt::print(stderr,
               "quillo-cli search: no search folders yet; add some with 'quillo-cli folders add DIR'\n");
    return 1;
  }
  core::ServiceOutcome outcome;
  auto settings = serviceSettings(arguments, outcome);
  if (settings && !preferences.searchFilesWithRavo()) {
    settings.reset();
    outcome.message = "Finding files with Ravo is off (prefs set searchFilesWithRavo true).";
  }

  const core::FileDisplay display{system.homeFolder(), context.locale, context.timeZone};
  const std::size_t limit = arguments.limit.value_or(Arguments::kDefaultLimit);
  // The running program's live index answers a local search at once; the ranking service's
  // questions need an index of this process's own.
  const std::optional<app::FileSearchAnswer> answered =
      settings ? std::nullopt
               : runningAppFileSearch(arguments.query, limit, preferences.fileSearchPaths(), system, files);
  std::shared_ptr<core::FileIndex> index;
  LocalRows rows;
  if (answered) {
    rows = {.folders = core::FileIndex::hitsOf(answered->rootHits, display),
            .names = core::FileIndex::hitsOf(answered->nameHits, display)};
  } else {
    FolderFailures failures;
    index = createFileIndex(
        {preferences.fileSearchPaths(), preferences.fileSearchBookmarks()}, system, display, failures,
        [&](const std::string& path, const base::Url& url, core::DefaultsValue::Data data) {
          preferences.refreshFileSearchBookmark(path, url, std::move(data));
        });
    for (const auto& [path, message] : failures)
      fmt::print(stderr, "quillo-cli search: {}: {}\n", path, message);
    // A saved index is searched while its folders' times are read (most of a warm search's
    // time), and again only if one of them had changed.
    const bool asSaved = index->waitUntilSearchable({});
    rows = localRows(*index, arguments.query, limit);
    waitForIndexed(*index);
    if (asSaved && !index->savedAnswersStood()) rows = localRows(*index, arguments.query, limit);
  }

  std::shared_ptr<core::BackendClient> client;
  if (settings) {
    try {
      client = connect(*settings, system);
    } catch (const std::exception& error) {
      outcome = core::ServiceOutcome::failed(error.what());
    }
  }
  const core::FileRouteDecision decision = core::decideFileRoute(
      arguments.query, {.folderHits = std::move(rows.folders),
                        .nameHits = std::move(rows.names),
                        .canRank = client != nullptr,
                        .canValidateShortlist = client != nullptr,
                        .validateShortlists = core::RavoQuestions::validateFileShortlistWithRavo});
  const bool logRoutes = core::fileRouteLogging(system.environment("QUILLO_LOG_LEVEL"));
  if (logRoutes) fmt::print(stderr, "{}\n", decision.logLine());
  if (client) {
    const core::FileRanker ranker(client, index, {.display = display, .files = &disk()});
    outcome = core::askServiceAboutFiles(arguments.query, decision, ranker,
                                         {.routeLog = logRoutes ? &std::cerr : nullptr});
  }
  const std::vector<core::ScoredRow> scored =
      core::fileResults(decision, outcome.result ? &*outcome.result : nullptr, context, limit);

  if (arguments.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const core::ScoredRow& row : scored)
      list.push_back(app::rowJson(row, context.now));
    const nlohmann::ordered_json result{{"query", arguments.query},
                                        {"scope", core::rawValue(core::SearchScope::files)},
                                        {"route", core::rawValue(decision.route)},
                                        {"rows", std::move(list)},
                                        {"service", app::serviceJson(outcome)}};
    fmt::print(output, "{}\n", result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
    endCommand(output, index);
    return 0;
  }
  if (outcome.state == core::ServiceState::failed)
    fmt::print(stderr, "quillo-cli search: service failed: {}\n", outcome.message.value_or(""));
  for (const core::ScoredRow& row : scored) {
    const std::string score = row.localScore ? std::to_string(*row.localScore) : "-";
    const std::string probability =
        row.row.probability ? fmt::format("  p={:.2f}", *row.row.probability) : "";
    fmt::print(output, "{:>5}  {}  {}{}\n", score, row.row.command.title, row.row.detail(), probability);
  }
  endCommand(output, index);
  return 0;
}

}  // namespace quillo::cli

#include "session_files.h"

#include "file_search.h"
#include "quillo/core/files/file_ranker.h"
#include "quillo/core/service/backend_error.h"
#include "quillo/platform/posix/posix_file_system.h"

namespace quillo::cli {
namespace {

struct Opened {
  std::shared_ptr<core::FileIndex> index;
  FolderFailures failures;
};

// Where shortlisted files' sizes and dates are read, for as long as the rankers live.
const platform::FileSystem& disk() {
  static const platform::posix::PosixFileSystem files;
  return files;
}

}  // namespace

void SessionFiles::prepare() {
  const bool setUp = preferences_.fileSearchSetupCompleted() && !preferences_.fileSearchPaths().empty();
  if (!setUp || task_.busy() || model_.fileSearch().index) return;
  model_.setFileSearch(
      {.index = nullptr, .ranker = nullptr, .offReason = "", .folderFailures = {}, .isIndexing = true});
  task_.start(
      [folders = StoredFolders{preferences_.fileSearchPaths(), preferences_.fileSearchBookmarks()},
       &system = system_, display = display_](std::stop_token) {
        Opened opened;
        opened.index = openFileIndex(folders, system, display, opened.failures);
        return opened;
      },
      [this](Opened opened) {
        app::FileSearchState state{.index = std::move(opened.index),
                                   .ranker = nullptr,
                                   .offReason = "",
                                   .folderFailures = std::move(opened.failures),
                                   .isIndexing = false};
        if (!backend_) {
          state.offReason = std::string(core::BackendError::message(core::BackendError::notConfigured));
        } else if (!preferences_.searchFilesWithRavo()) {
          state.offReason = "file names stay on this Mac";
        } else {
          state.ranker = std::make_shared<const core::FileRanker>(
              backend_, state.index, core::FileRankerOptions{.display = display_, .files = &disk()});
        }
        model_.setFileSearch(std::move(state));
      },
      [this](const std::exception_ptr& error) {
        std::string message;
        try {
          std::rethrow_exception(error);
        } catch (const std::exception& failure) {
          message = failure.what();
        }
        app::FileSearchState state{};
        for (const std::string& path : preferences_.fileSearchPaths())
          state.folderFailures[path] = message;
        model_.setFileSearch(std::move(state));
      });
}

}  // namespace quillo::cli

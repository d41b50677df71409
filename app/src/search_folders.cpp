#include "quillo/app/search_folders.h"

#include <set>
#include <utility>

#include "quillo/base/errors.h"
#include "quillo/base/log.h"
#include "quillo/core/files/file_folder_access.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::app {

namespace {

const base::log::Logger kFoldersLog("files");

}  // namespace

// What a preparation built off the main thread.
struct SearchFolders::Prepared {
  struct Refreshed {
    std::string path;
    base::Url url;
    core::DefaultsValue::Data data;
  };
  std::shared_ptr<core::FileIndex> index;
  std::map<std::string, std::string> failures;
  std::vector<Refreshed> refreshed;
};

SearchFolders::SearchFolders(Environment environment, Hooks hooks)
    : env_(std::move(environment)), hooks_(std::move(hooks)), preparation_(env_.pool, env_.main) {}

void SearchFolders::notify(const std::function<void()>& hook) const {
  if (hook) hook();
}

void SearchFolders::chooseFileFolders(const std::optional<std::string>& replacing) {
  if (isChoosingFileFolders_) return;
  platform::FolderPicker::Request request;
  request.title = replacing ? "Choose Folder Again" : "Choose Search Folders";
  request.prompt = "Choose";
  request.message =
      "Includes subfolders. Protected libraries inside selected folders may require additional permission.";
  request.startFolder = env_.homeFolder;
  request.allowsMultipleSelection = true;
  request.validate = [&files = env_.files,
                      home = env_.homeFolder](const std::string& path) -> std::optional<std::string> {
    try {
      core::FileFolderAccess::validateSelection(files, base::Url::file(path), home);
      return std::nullopt;
    } catch (const std::exception& refusal) {
      return std::string(refusal.what());
    }
  };
  isChoosingFileFolders_ = true;
  notify(hooks_.onChange);
  env_.picker.show(request, [this, alive = std::weak_ptr<int>(alive_),
                             replacing](std::optional<std::vector<std::string>> paths) {
    if (alive.expired()) return;
    isChoosingFileFolders_ = false;
    if (paths) {
      std::vector<base::Url> urls;
      for (const std::string& path : *paths)
        urls.push_back(base::Url::file(path));
      try {
        acceptFileFolders(urls, replacing);
        fileSelectionError_.reset();
      } catch (const std::exception& failure) {
        fileSelectionError_ = failure.what();
      }
    }
    notify(hooks_.onChange);
  });
}

void SearchFolders::acceptFileFolders(const std::vector<base::Url>& urls,
                                      const std::optional<std::string>& replacing) {
  env_.preferences.authorizeFileSearchFolders(urls, replacing, env_.bookmarks, env_.files, env_.homeFolder);
  fileFoldersChanged();
  prepareFiles();
}

void SearchFolders::removeFileFolder(const std::string& path) {
  std::vector<std::string> paths = env_.preferences.fileSearchPaths();
  std::erase(paths, path);
  env_.preferences.setFileSearchPaths(std::move(paths));
  fileFoldersChanged();
  prepareFiles();
}

void SearchFolders::fileFoldersChanged() {
  // A new generation voids whatever a running preparation would still deliver.
  filePreparationGeneration_ = base::Uuid::random();
  filePreparationAttempted_ = false;
  fileFolderFailures_.clear();
  isIndexingFiles_ = false;
  preparation_.cancel();
  notify(hooks_.cancelFileSearch);

  fileRanker_.reset();
  fileIndex_.reset();
  notify(hooks_.clearAnswerCache);
  notify(hooks_.onFileAccessChange);
  notify(hooks_.onChange);

  if (hooks_.inFilesScope && hooks_.inFilesScope()) {
    prepareFiles();
    notify(hooks_.rerunQuery);
  }
}

bool SearchFolders::isSetUp() const {
  return env_.preferences.fileSearchSetupCompleted() && !env_.preferences.fileSearchPaths().empty();
}

std::optional<std::string> SearchFolders::unavailableReason() const {
  if (!isSetUp()) return "choose search folders";
  if (fileIndex_) return std::nullopt;
  if (isIndexingFiles_) return "indexing files";
  return "review search folders";
}

void SearchFolders::prepareFiles() {
  if (!isSetUp()) return;
  if (!fileIndex_) {
    if (preparation_.busy()) return;
    filePreparationAttempted_ = true;
    isIndexingFiles_ = true;
    notify(hooks_.onFileAccessChange);
    filePreparationGeneration_ = base::Uuid::random();
    startPreparation();
    notify(hooks_.onChange);
    return;
  }
  const std::shared_ptr<core::BackendClient> client = hooks_.serviceClient ? hooks_.serviceClient() : nullptr;
  if (!client) return;
  if (!env_.preferences.searchFilesWithRavo()) {
    fileRanker_.reset();
    fileOffReason_ = std::string(core::platformText(core::PlatformText::filesStayLocal, env_.macOS));
  } else if (!fileRanker_) {
    fileRanker_ = std::make_shared<core::FileRanker>(client, fileIndex_, env_.rankerOptions);
    fileOffReason_.clear();
  }
  notify(hooks_.onChange);
}

void SearchFolders::startPreparation() {
  // Read on the main thread, where the preferences live; the worker gets copies.
  std::vector<std::string> paths = env_.preferences.fileSearchPaths();
  std::map<std::string, core::DefaultsValue::Data> stored = env_.preferences.fileSearchBookmarks();
  const base::Uuid generation = filePreparationGeneration_;
  preparation_.start(
      [paths = std::move(paths), stored = std::move(stored), &bookmarks = env_.bookmarks, &files = env_.files,
       home = env_.homeFolder, loadLibrary = env_.loadLibrary,
       options = env_.indexOptions](std::stop_token stop) {
        Prepared prepared;
        std::vector<base::Url> folders;
        std::vector<std::unique_ptr<core::FileFolderAccess>> access;
        std::set<std::string> seen;
        for (const std::string& path : paths) {
          if (!seen.insert(path).second) continue;
          const auto bookmark = stored.find(path);
          if (bookmark == stored.end()) {
            prepared.failures[path] = std::string(missingBookmarkMessage);
            continue;
          }
          try {
            auto folder =
                std::make_unique<core::FileFolderAccess>(bookmark->second.bytes, bookmarks, files, home);
            if (const auto& fresh = folder->refreshedBookmark())
              prepared.refreshed.push_back({path, folder->url(), core::DefaultsValue::Data{*fresh}});
            folders.push_back(folder->url());
            access.push_back(std::move(folder));
          } catch (const std::exception& failure) {
            prepared.failures[path] = failure.what();
          }
        }
        if (stop.stop_requested()) throw base::Cancelled();
        std::shared_ptr<const core::FffLibrary> library;
        std::string libraryError;
        try {
          if (loadLibrary) library = loadLibrary();
        } catch (const std::exception& failure) {
          libraryError = failure.what();
        }
        prepared.index = std::make_shared<core::FileIndex>(folders, std::move(access), std::move(library),
                                                           options, libraryError);
        for (const auto& [path, message] : prepared.index->failedFolders())
          prepared.failures.emplace(path, message);
        return prepared;
      },
      [this, generation](Prepared prepared) { apply(std::move(prepared), generation); },
      [this, generation](std::exception_ptr error) {
        // The index never fails as a whole; anything else still ends the indexing state.
        if (generation != filePreparationGeneration_) return;
        try {
          std::rethrow_exception(std::move(error));
        } catch (const std::exception& failure) {
          kFoldersLog.error("File index not prepared: {}", failure.what());
        }
        isIndexingFiles_ = false;
        notify(hooks_.onFileAccessChange);
        notify(hooks_.onChange);
      });
}

void SearchFolders::apply(Prepared prepared, const base::Uuid& generation) {
  if (generation != filePreparationGeneration_) return;
  for (Prepared::Refreshed& refreshed : prepared.refreshed)
    env_.preferences.refreshFileSearchBookmark(refreshed.path, refreshed.url, std::move(refreshed.data));
  if (prepared.failures != fileFolderFailures_) fileFolderFailures_ = std::move(prepared.failures);
  fileIndex_ = std::move(prepared.index);
  isIndexingFiles_ = false;
  prepareFiles();
  if (hooks_.inFilesScope && hooks_.inFilesScope()) notify(hooks_.rerunQuery);
  notify(hooks_.onFileAccessChange);
  notify(hooks_.onChange);
}

}  // namespace quillo::app

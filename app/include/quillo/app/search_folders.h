#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillo/app/task_slot.h"
#include "quillo/base/url.h"
#include "quillo/base/uuid.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/files/fff_library.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/files/file_ranker.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/platform/bookmarks.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/folder_picker.h"
#include "quillo/platform/main_queue.h"

namespace quillo::app {

// The launcher's search folders: choosing, replacing and removing them, turning their stored
// bookmarks into an open file index in the background, recording which folders failed and why,
// and whether file searches may use the ranking service. Everything runs on the main thread
// except the preparation of the index, whose result is applied only if no newer preparation
// started since.
class SearchFolders {
 public:
  static constexpr std::string_view missingBookmarkMessage = "Choose this folder again to restore access.";

  // What the platform and the search model lend it; all must outlive it.
  struct Environment {
    core::QuilloPreferences& preferences;
    platform::Bookmarks& bookmarks;
    const platform::FileSystem& files;
    platform::FolderPicker& picker;
    base::WorkerPool& pool;
    platform::MainQueue& main;
    std::string homeFolder;
    // Loads the file-index library; runs on a worker. Throws core::FffLibraryError.
    std::function<std::shared_ptr<const core::FffLibrary>()> loadLibrary;
    core::FileIndex::Options indexOptions{};
    core::FileRanker::Options rankerOptions{};
    // Its texts in the Mac's words; the other systems' otherwise.
    bool macOS = false;
  };

  // The search model's side: each may be empty.
  struct Hooks {
    // The service client, none when the service is not configured.
    std::function<std::shared_ptr<core::BackendClient>()> serviceClient{};
    std::function<bool()> inFilesScope{};
    // Cancel the running file search (and, in the files scope, the service request).
    std::function<void()> cancelFileSearch{};
    std::function<void()> clearAnswerCache{};
    std::function<void()> rerunQuery{};
    // The access-protection state may have changed.
    std::function<void()> onFileAccessChange{};
    // Any state readable here changed.
    std::function<void()> onChange{};
  };

  SearchFolders(Environment environment, Hooks hooks);
  SearchFolders(const SearchFolders&) = delete;
  SearchFolders& operator=(const SearchFolders&) = delete;

  // Shows the folder panel to add folders, or to replace the stored folder `replacing`. Does
  // nothing while the panel is already shown.
  void chooseFileFolders(const std::optional<std::string>& replacing = std::nullopt);
  // Stores the picked folders and prepares the index again. Throws FileFolderAccess's errors or
  // platform::BookmarkError, changing nothing.
  void acceptFileFolders(const std::vector<base::Url>& urls, const std::optional<std::string>& replacing);
  void removeFileFolder(const std::string& path);
  // Forgets the index and everything derived from the old folder list.
  void fileFoldersChanged();
  // Makes sure the file index and, where allowed, the file ranker exist.
  void prepareFiles();

  // File search is set up: the setup was completed and at least one folder is listed.
  bool isSetUp() const;
  // Why the files scope cannot search now ("choose search folders", "indexing files", "review
  // search folders"), none when the index is there.
  std::optional<std::string> unavailableReason() const;

  const std::shared_ptr<core::FileIndex>& fileIndex() const { return fileIndex_; }
  const std::shared_ptr<core::FileRanker>& fileRanker() const { return fileRanker_; }
  const std::string& fileOffReason() const { return fileOffReason_; }
  const std::map<std::string, std::string>& fileFolderFailures() const { return fileFolderFailures_; }
  const std::optional<std::string>& fileSelectionError() const { return fileSelectionError_; }
  bool isChoosingFileFolders() const { return isChoosingFileFolders_; }
  bool isIndexingFiles() const { return isIndexingFiles_; }
  bool filePreparationAttempted() const { return filePreparationAttempted_; }
  const base::Uuid& filePreparationGeneration() const { return filePreparationGeneration_; }

 private:
  struct Prepared;

  void startPreparation();
  void apply(Prepared prepared, const base::Uuid& generation);
  void notify(const std::function<void()>& hook) const;

  Environment env_;
  Hooks hooks_;
  TaskSlot preparation_;
  std::shared_ptr<core::FileIndex> fileIndex_;
  std::shared_ptr<core::FileRanker> fileRanker_;
  std::string fileOffReason_;
  std::map<std::string, std::string> fileFolderFailures_;
  std::optional<std::string> fileSelectionError_;
  bool isChoosingFileFolders_ = false;
  bool isIndexingFiles_ = false;
  bool filePreparationAttempted_ = false;
  base::Uuid filePreparationGeneration_ = base::Uuid::random();
  // Held only here: a panel answering after this is gone finds it expired.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quillo::app

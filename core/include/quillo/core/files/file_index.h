#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/files/fff_library.h"
#include "quillo/core/files/file_command.h"
#include "quillo/core/files/file_entry.h"
#include "quillo/core/files/file_folder_access.h"

namespace quillo::core {

// The files and folders inside the user's search folders: one libfff_c instance per folder (a
// root), scanning in the background, and the searches the launcher and the file ranker run
// over them. Library calls are made one at a time; waiting for a scan does not hold them up.
class FileIndex {
 public:
  // A file or folder a search found, with its score on the local command scale.
  struct ScoredEntry {
    FileEntry entry;
    int score = 0;
    bool operator==(const ScoredEntry&) const = default;
  };

  // Recent files of some extensions, and how many of them are wanted.
  struct CandidateGroup {
    std::vector<std::string> extensions;  // lower-case, without the dot
    int limit = 0;
    bool operator==(const CandidateGroup&) const = default;
  };

  struct Options {
    FileDisplay display;
    // How long one wait for a scan lasts at most: the library ends it as the scan ends, and a
    // stop is seen between two.
    std::chrono::milliseconds scanPoll{100};
    std::chrono::milliseconds globScanWait{3000};
    // Where recent candidates' dates are read, so that a file's creation counts as recent too;
    // without one, the modification dates the library reports. Must outlive the index.
    const platform::FileSystem* files = nullptr;
    // Keep each folder's index current after its scan; a one-off search has no use for it.
    bool watch = true;
    // A folder where each root's index is saved between runs (one file per root), so that a
    // later index of an unchanged tree lists only the folders changed since; empty for none.
    std::string savedIndexFolder{};
    // The index saved as this one is released is written by a process of its own, which the
    // release does not wait for: for a program that ends once it has answered.
    bool saveDetached = false;
  };

  // The standard folders of a home folder offered first when choosing search folders.
  static constexpr std::array<std::string_view, 6> userFolders = {"Desktop", "Documents", "Downloads",
                                                                  "Movies",  "Music",     "Pictures"};

  // Never fails as a whole: a folder that cannot be indexed (or every folder, when `library` is
  // null because it could not be loaded) is listed in failedFolders with the reason.
  FileIndex(const std::vector<base::Url>& folders, std::vector<std::unique_ptr<FileFolderAccess>> access,
            std::shared_ptr<const FffLibrary> library, Options options, const std::string& libraryError = {});
  ~FileIndex();
  FileIndex(const FileIndex&) = delete;
  FileIndex& operator=(const FileIndex&) = delete;

  // Ends the folders' scans and watching, leaving their indexes searchable: the index of a
  // first scan is on its way to the saved-index folder by the time this returns. For a process
  // that ends right after its answer without releasing the index.
  void stopScans();

  // Returns when every root has finished its first scan or `stop` is requested. `progress`
  // hears how many roots are done each time that changes.
  void waitForInitialScan(std::stop_token stop,
                          const std::function<void(std::size_t done, std::size_t total)>& progress = {});

  // Whether every root has finished its first scan, without waiting for it.
  bool initialScanFinished();

  // Returns when every root can be searched, or `stop` is requested: scanned, or loaded from
  // its saved index while its folders are checked (roots that do not watch). True when some
  // root answers as saved: what a search finds then stands only if savedAnswersStood says so
  // once waitForInitialScan has returned.
  bool waitUntilSearchable(std::stop_token stop);
  // After waitForInitialScan: whether every root that answered as saved had no folder changed.
  bool savedAnswersStood();

  // Fuzzy name search over every root, then the roots whose own names match.
  std::vector<FileEntry> search(std::string_view query, int limit);
  // search(query, 50) scored on the local command scale, best first; empty for an empty query.
  std::vector<LocalHit> localHits(std::string_view query, int limit);
  // The launcher's file rows: names that are the query (alone, with any extension, or followed
  // by more), folders, and fuzzy hits, graded so that the file a user named comes first.
  std::vector<LocalHit> filenameHits(std::string_view query, int limit);
  // The same as the entries found, for answering another process, which makes the rows.
  std::vector<ScoredEntry> filenameMatches(std::string_view query, int limit);
  // The roots themselves whose names match, as hits.
  std::vector<LocalHit> rootHits(std::string_view query);
  std::vector<ScoredEntry> rootMatches(std::string_view query);
  // The rows of found entries, as the hits above make them.
  static std::vector<LocalHit> hitsOf(const std::vector<ScoredEntry>& found, const FileDisplay& display);
  // The folders indexed, as file-system paths.
  std::vector<std::string> rootPaths() const;
  std::vector<FileEntry> folders(std::string_view matching, int limit);
  // The most recent files of each group, newest first, the groups interleaved.
  std::vector<FileEntry> files(const std::vector<CandidateGroup>& groups);
  std::vector<FileEntry> files(const std::vector<std::string>& extensions, int limit);

  const std::map<std::string, std::string>& failedFolders() const { return failedFolders_; }
  // Roots whose first scan ended without reading everything, with the reason; filled in as
  // their scans are seen to end (waitForInitialScan sees every one).
  std::map<std::string, std::string> incompleteFolders() const {
    const std::lock_guard lock(calls_);
    return incompleteFolders_;
  }
  int rootCount() const { return static_cast<int>(roots_.size()); }
  const std::vector<Command>& rootCommands() const { return rootCommands_; }

 private:
  struct Root {
    base::Url url;
    std::string path;  // standard form, no trailing slash
    FffInstance* handle = nullptr;
  };

  // One short poll of the root's first scan, made under the call lock.
  // Waits up to `wait` in the library, which ends the wait as the scan ends.
  bool scanFinished(const Root& root, std::chrono::milliseconds wait = std::chrono::milliseconds(1));
  // Up to `wanted` entries per root that the index may report, from the library's items in its
  // order: `ask(root, offset, page)` gives a page, read with `item` and released with `release`.
  template <class List, class Ask>
  std::vector<FileEntry> paged(int wanted, Ask&& ask, const FffItem* (*item)(const List*, std::uint32_t),
                               void (*release)(List*));
  std::vector<FileEntry> directorySearch(std::string_view query, int limit);
  // Up to `want` entries of one root, appended to `entries`: `ask(offset, page)` gives a page.
  template <class List, class Ask>
  void pagedIn(const Root& root, std::size_t want, Ask&& ask,
               const FffItem* (*item)(const List*, std::uint32_t), void (*release)(List*),
               std::vector<FileEntry>& entries);
  // Up to `wanted` entries per root that the index may report, from the glob's items in order.
  std::vector<FileEntry> globEntries(const std::string& pattern, std::uint32_t options, int wanted);
  // globEntries of each pattern, the patterns' first pages found together.
  std::vector<std::vector<FileEntry>> globEntriesEach(const std::vector<std::string>& patterns,
                                                      std::uint32_t options, int wanted);
  std::vector<FileEntry> rootEntries(std::string_view query) const;
  std::vector<ScoredEntry> scored(const std::vector<FileEntry>& entries, std::string_view query,
                                  int limit) const;

  std::shared_ptr<const FffLibrary> library_;
  Options options_;
  std::vector<Root> roots_;
  std::vector<Command> rootCommands_;
  std::vector<std::unique_ptr<FileFolderAccess>> folderAccess_;
  std::map<std::string, std::string> failedFolders_;
  std::map<std::string, std::string> incompleteFolders_;  // guarded by calls_
  std::vector<char> answeredAsSaved_;                     // by root; guarded by calls_
  mutable std::mutex calls_;                              // scan states and their reasons
};

// The file a root's index is saved in under `folder`: named by a hash of the root's path.
std::string savedIndexFile(const std::string& folder, const std::string& rootPath);

// The first entry of every list, then the second of every list, and so on, each URL once,
// until `limit` are taken.
std::vector<FileEntry> interleave(const std::vector<std::vector<FileEntry>>& lists, std::size_t limit);

// The glob that finds a name case-insensitively: letters as [aA], special characters escaped.
std::string caseInsensitiveGlob(std::string_view name);

// The glob for a name typed as a search, with the library's case folding when it can do the
// job: an ASCII name lower-cased and escaped, matched with FFF_GLOB_IGNORE_CASE (its literal
// prefix rules out most names at once, where classes such as [rR] are tested character by
// character on every name); any other name as caseInsensitiveGlob writes it.
struct NameGlob {
  std::string pattern;
  bool ignoreCase = false;
  bool operator==(const NameGlob&) const = default;
};
NameGlob nameGlob(std::string_view name);

// The entry for a library item under `rootPath`, or none for an item the index must not report:
// an empty or absolute path, a ".." component, anything inside a package, or a path that leaves
// the root.
std::optional<FileEntry> entryForItem(const std::string& rootPath, std::string_view relativePath,
                                      bool isFolder, std::uint64_t size, std::int64_t modified);

}  // namespace quillo::core

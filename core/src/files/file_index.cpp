#include "quillo/core/files/file_index.h"

#include <fmt/format.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <future>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "quillo/base/unicode.h"
#include "quillo/core/files/file_name_match.h"
#include "quillo/core/matching/fuzzy_matcher.h"
#include "quillo/core/preferences/quillo_preferences.h"

namespace quillo::core {
namespace {

// Compared lower-case: a folder with one of these extensions is a package, found itself but
// never searched inside.
constexpr std::array<std::string_view, 19> kPackageExtensions = {
    "app",       "bundle", "framework", "photoslibrary", "musiclibrary", "tvlibrary", "imovielibrary",
    "fcpbundle", "logicx", "band",      "xcodeproj",     "xcworkspace",  "xcassets",  "playground",
    "sketch",    "rtfd",   "pages",     "numbers",       "key"};

constexpr int kLocalSearchLimit = 50;
constexpr int kMinimumDirectoryLimit = 50;
// Library pages grow to this many items while items inside packages keep filling them.
constexpr std::uint32_t kLargestPage = 1u << 16;
// A name the glob found although the fuzzy matcher would not score it ("report" in "re-port").
constexpr int kGlobOnlyScore = 700;

template <class T>
void keepFirst(std::vector<T>& items, int limit) {
  if (items.size() > static_cast<std::size_t>(std::max(limit, 0)))
    items.erase(items.begin() + std::max(limit, 0), items.end());
}

bool isPackage(std::string_view component) {
  const auto dot = component.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = base::lowercased(component.substr(dot + 1));
  return std::find(kPackageExtensions.begin(), kPackageExtensions.end(), extension) !=
         kPackageExtensions.end();
}

// Later of modification and creation, where the file system records creation.
double recency(const platform::FileSystem* files, const FileEntry& entry) {
  double latest = entry.modified.secondsSince1970;
  const auto path = entry.url.filePath();
  if (files == nullptr || !path) return latest;
  std::optional<platform::FileStatus> status;
  try {
    status = files->status(*path, false);
  } catch (const platform::FileSystemError&) {
    return latest;
  }
  if (!status) return latest;
  if (status->modified) latest = std::floor(status->modified->secondsSince1970);
  if (status->created) latest = std::max(latest, std::floor(status->created->secondsSince1970));
  return latest;
}

int grade(FileNameStrength strength, std::optional<int> fuzzy) {
  switch (strength) {
    case FileNameStrength::exact:
      return 1000;
    case FileNameStrength::strong:
      return std::clamp(fuzzy.value_or(FuzzyMatcher::strongMatch), FuzzyMatcher::strongMatch, 999);
    case FileNameStrength::weak:
      break;
  }
  return std::min(fuzzy.value_or(kGlobOnlyScore), FuzzyMatcher::strongMatch - 1);
}

}  // namespace

std::optional<FileEntry> entryForItem(const std::string& rootPath, std::string_view relativePath,
                                      bool isFolder, std::uint64_t size, std::int64_t modified) {
  if (relativePath.empty() || relativePath.front() == '/') return std::nullopt;
  std::vector<std::string_view> components;
  for (std::size_t begin = 0; begin <= relativePath.size();) {
    const auto end = std::min(relativePath.find('/', begin), relativePath.size());
    components.push_back(relativePath.substr(begin, end - begin));
    begin = end + 1;
  }
  if (std::find(components.begin(), components.end(), "..") != components.end()) return std::nullopt;
  for (std::size_t k = 0; k + 1 < components.size(); ++k)
    if (isPackage(components[k])) return std::nullopt;
  const std::string path = standardisedPath(rootPath + "/" + std::string(relativePath));
  if (!path.starts_with(rootPath + "/")) return std::nullopt;
  if (isFolder) return FileEntry{FileEntry::Kind::folder, base::Url::file(path), 0, FileEntry::distantPast};
  return FileEntry{FileEntry::Kind::file, base::Url::file(path), size,
                   base::Date{static_cast<double>(modified)}};
}

std::string savedIndexFile(const std::string& folder, const std::string& rootPath) {
  // FNV-1a: stable across runs and builds, unlike std::hash.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : rootPath) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return fmt::format("{}/{:016x}.index", folder, hash);
}

std::string caseInsensitiveGlob(std::string_view name) {
  std::string glob;
  for (const char32_t scalar : base::lowercasedScalars(name)) {
    const std::string lower = base::utf8(std::u32string_view(&scalar, 1));
    const std::u32string upperScalars = [&] {
      icu::UnicodeString text(static_cast<UChar32>(scalar));
      text.toUpper(icu::Locale::getRoot());
      std::u32string out;
      for (int32_t at = 0; at < text.length(); at = text.moveIndex32(at, 1))
        out.push_back(static_cast<char32_t>(text.char32At(at)));
      return out;
    }();
    const std::string upper = base::utf8(upperScalars);
    if (upperScalars.size() == 1 && upper != lower) {
      glob += "[" + lower + upper + "]";
    } else if (lower.size() == 1 && std::string_view("*?[]{}\\,!").find(lower[0]) != std::string_view::npos) {
      glob += "\\" + lower;
    } else {
      glob += lower;
    }
  }
  return glob;
}

NameGlob nameGlob(std::string_view name) {
  const bool ascii =
      std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) return {caseInsensitiveGlob(name), false};
  std::string glob;
  for (const char c : name) {
    if (std::string_view("*?[]{}\\,!").find(c) != std::string_view::npos) glob += '\\';
    glob += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  return {glob, true};
}

std::vector<FileEntry> interleave(const std::vector<std::vector<FileEntry>>& lists, std::size_t limit) {
  std::vector<FileEntry> taken;
  std::unordered_set<base::Url> seen;
  for (std::size_t position = 0; taken.size() < limit; ++position) {
    bool any = false;
    for (const auto& list : lists) {
      if (position >= list.size()) continue;
      any = true;
      if (taken.size() < limit && seen.insert(list[position].url).second) taken.push_back(list[position]);
    }
    if (!any) break;
  }
  return taken;
}

FileIndex::FileIndex(const std::vector<base::Url>& folders,
                     std::vector<std::unique_ptr<FileFolderAccess>> access,
                     std::shared_ptr<const FffLibrary> library, Options options,
                     const std::string& libraryError)
    : library_(std::move(library)), options_(std::move(options)), folderAccess_(std::move(access)) {
  for (const base::Url& folder : folders) {
    const std::string path = standardisedPath(folder.filePath().value_or(folder.text));
    if (!library_) {
      failedFolders_[path] =
          libraryError.empty() ? "The file index library could not be loaded." : libraryError;
      continue;
    }
    FffOptions create{};
    create.version = FFF_OPTIONS_VERSION;
    create.root = path.c_str();
    create.watch = options_.watch ? 1 : 0;
    create.details_on_demand = options_.watch ? 0 : 1;
    const std::string saved =
        options_.savedIndexFolder.empty() ? std::string() : savedIndexFile(options_.savedIndexFolder, path);
    create.saved_index = saved.empty() ? nullptr : saved.c_str();
    create.save_detached = options_.saveDetached ? 1 : 0;
    FffResult* result = library_->createInstanceWith(&create);
    if (result && result->success && result->handle) {
      roots_.push_back({base::Url::file(path), path, static_cast<FffInstance*>(result->handle)});
      rootCommands_.push_back(
          fileCommand(FileEntry{FileEntry::Kind::folder, roots_.back().url, 0, FileEntry::distantPast},
                      options_.display));
    } else {
      failedFolders_[path] =
          result && result->error ? std::string(result->error) : "The file index could not be created.";
    }
    if (result) library_->freeResult(result);
  }
}

FileIndex::~FileIndex() {
  const std::lock_guard lock(calls_);
  for (const Root& root : roots_)
    library_->destroy(root.handle);
}

void FileIndex::stopScans() {
  for (const Root& root : roots_)
    library_->stop(root.handle);
}

bool FileIndex::scanFinished(const Root& root, std::chrono::milliseconds wait) {
  FffResult* result = library_->waitForScan(root.handle, static_cast<std::uint64_t>(wait.count()));
  // A root the library cannot answer for counts as done: waiting would never end.
  if (!result) return true;
  const bool finished = !result->success || result->int_value != FFF_SCAN_RUNNING;
  if (result->success && result->int_value == FFF_SCAN_INCOMPLETE) {
    const std::lock_guard lock(calls_);
    incompleteFolders_[root.path] = result->error ? result->error : "The index is incomplete.";
  }
  library_->freeResult(result);
  return finished;
}

bool FileIndex::initialScanFinished() {
  return std::all_of(roots_.begin(), roots_.end(), [this](const Root& root) { return scanFinished(root); });
}

void FileIndex::waitForInitialScan(std::stop_token stop,
                                   const std::function<void(std::size_t, std::size_t)>& progress) {
  std::size_t done = 0;
  for (const Root& root : roots_) {
    // The library ends the wait as the scan ends: waiting there, rather than sleeping between
    // quick looks, sees the end at once and wakes no one meanwhile (a walking thread, on a
    // machine with two cores). A stop is seen within one poll.
    while (!stop.stop_requested() && !scanFinished(root, options_.scanPoll)) {
    }
    if (stop.stop_requested()) return;
    if (progress) progress(++done, roots_.size());
  }
}

bool FileIndex::waitUntilSearchable(std::stop_token stop) {
  std::vector<char> asSaved(roots_.size(), 0);
  for (std::size_t k = 0; k < roots_.size() && !stop.stop_requested(); ++k) {
    for (;;) {
      FffResult* result = library_->waitUntilSearchable(
          roots_[k].handle, static_cast<std::uint64_t>(options_.scanPoll.count()));
      // A root the library cannot answer for counts as scanned: waiting would never end.
      const std::int64_t searchable = result && result->success ? result->int_value : FFF_SEARCHABLE_SCANNED;
      if (result) library_->freeResult(result);
      if (searchable == FFF_SEARCHABLE_AS_SAVED) asSaved[k] = 1;
      if (searchable != FFF_SEARCHABLE_NOT_YET || stop.stop_requested()) break;
    }
  }
  const std::lock_guard lock(calls_);
  answeredAsSaved_ = std::move(asSaved);
  return std::find(answeredAsSaved_.begin(), answeredAsSaved_.end(), 1) != answeredAsSaved_.end();
}

bool FileIndex::savedAnswersStood() {
  const std::lock_guard lock(calls_);
  for (std::size_t k = 0; k < answeredAsSaved_.size(); ++k) {
    if (!answeredAsSaved_[k]) continue;
    FffResult* result = library_->savedIndexStood(roots_[k].handle);
    const bool stood = result && result->success && result->int_value == 1;
    if (result) library_->freeResult(result);
    if (!stood) return false;
  }
  return true;
}

namespace {

// Reads the items of one search result and frees it and its record.
template <class List, class Read>
void readResult(const FffLibrary& library, FffResult* result, const FffItem* (*item)(const List*, uint32_t),
                void (*release)(List*), Read&& read) {
  if (!result) return;
  if (result->success && result->handle) {
    auto* list = static_cast<List*>(result->handle);
    const auto count = static_cast<std::uint32_t>(result->int_value);
    for (std::uint32_t at = 0; at < count; ++at) {
      const FffItem* found = item(list, at);
      if (!found) break;
      read(found);
    }
    release(list);
  }
  library.freeResult(result);
}

}  // namespace

template <class List, class Ask>
void FileIndex::pagedIn(const Root& root, std::size_t want, Ask&& ask,
                        const FffItem* (*item)(const List*, std::uint32_t), void (*release)(List*),
                        std::vector<FileEntry>& entries) {
  // Items inside packages are dropped here, after the library has counted them: a page full
  // of them must not use up the budget, so ask again further on, with pages that double,
  // until enough are kept or the library has no more.
  std::size_t kept = 0;
  std::uint32_t offset = 0;
  auto page = static_cast<std::uint32_t>(want);
  while (kept < want) {
    std::uint32_t answered = 0;
    readResult(*library_, ask(offset, page), item, release, [&](const FffItem* found) {
      ++answered;
      if (kept >= want || !found->path) return;
      if (auto entry = entryForItem(root.path, found->path, found->kind == FFF_KIND_DIRECTORY, found->size,
                                    found->modified)) {
        entries.push_back(std::move(*entry));
        ++kept;
      }
    });
    if (answered < page || page > std::numeric_limits<std::uint32_t>::max() - offset) break;
    offset += page;
    if (page < kLargestPage) page = std::min(page * 2, kLargestPage);
  }
}

template <class List, class Ask>
std::vector<FileEntry> FileIndex::paged(int wanted, Ask&& ask,
                                        const FffItem* (*item)(const List*, std::uint32_t),
                                        void (*release)(List*)) {
  std::vector<FileEntry> entries;
  if (wanted <= 0) return entries;
  // No lock: the library answers searches of one instance concurrently.
  for (const Root& root : roots_)
    pagedIn(
        root, static_cast<std::size_t>(wanted),
        [&](std::uint32_t offset, std::uint32_t page) { return ask(root, offset, page); }, item, release,
        entries);
  return entries;
}

std::vector<FileEntry> FileIndex::globEntries(const std::string& pattern, std::uint32_t options, int wanted) {
  // Without the library there are no roots, and nothing to read its functions from.
  if (!library_) return {};
  return paged(
      wanted,
      [&](const Root& root, std::uint32_t offset, std::uint32_t page) {
        return library_->glob(root.handle, pattern.c_str(), offset, 0, options, page);
      },
      library_->globItem, library_->freeGlob);
}

namespace {

// Glob records handed over by the library and not read yet: released if reading stops early.
class GlobRecords {
 public:
  GlobRecords(const FffLibrary& library, std::size_t count) : library_(library), records_(count, nullptr) {}
  GlobRecords(const GlobRecords&) = delete;
  GlobRecords& operator=(const GlobRecords&) = delete;
  ~GlobRecords() {
    for (FffResult* record : records_)
      release(record);
  }

  FffResult** data() { return records_.data(); }
  // Record k, which the caller now owns; null once taken or when there was none.
  FffResult* take(std::size_t k) { return std::exchange(records_[k], nullptr); }

 private:
  void release(FffResult* record) const {
    if (!record) return;
    if (record->success) library_.freeGlob(static_cast<FffSearchResult*>(record->handle));
    library_.freeResult(record);
  }

  const FffLibrary& library_;
  std::vector<FffResult*> records_;
};

}  // namespace

std::vector<std::vector<FileEntry>> FileIndex::globEntriesEach(const std::vector<std::string>& patterns,
                                                               std::uint32_t options, int wanted) {
  std::vector<std::vector<FileEntry>> found(patterns.size());
  if (!library_ || wanted <= 0) return found;
  std::vector<const char*> texts;
  for (const std::string& pattern : patterns)
    texts.push_back(pattern.c_str());
  const auto page = static_cast<std::uint32_t>(wanted);
  for (const Root& root : roots_) {
    // Every pattern's first page from one pass over the index; the pages after it, wanted only
    // when items inside packages filled the first, one pattern at a time.
    GlobRecords first(*library_, patterns.size());
    library_->freeResult(library_->globEach(root.handle, texts.data(),
                                            static_cast<std::uint32_t>(texts.size()), 0, 0, options, page,
                                            first.data()));
    for (std::size_t k = 0; k < patterns.size(); ++k)
      pagedIn(
          root, page,
          [&](std::uint32_t offset, std::uint32_t size) {
            FffResult* given = offset == 0 ? first.take(k) : nullptr;
            return given ? given : library_->glob(root.handle, texts[k], offset, 0, options, size);
          },
          library_->globItem, library_->freeGlob, found[k]);
  }
  return found;
}

std::vector<FileEntry> FileIndex::search(std::string_view query, int limit) {
  if (!library_) return {};
  const std::string text(query);
  std::vector<FileEntry> entries = paged(
      std::max(limit, 1),
      [&](const Root& root, std::uint32_t offset, std::uint32_t page) {
        return library_->searchMixed(root.handle, text.c_str(), offset, 0, 0, page, 0, 0);
      },
      library_->mixedItem, library_->freeMixed);
  for (FileEntry& root : rootEntries(query))
    entries.push_back(std::move(root));
  return entries;
}

std::vector<FileEntry> FileIndex::directorySearch(std::string_view query, int limit) {
  if (!library_) return {};
  const std::string text(query);
  return paged(
      std::max(limit, 1),
      [&](const Root& root, std::uint32_t offset, std::uint32_t page) {
        return library_->searchDirectories(root.handle, text.c_str(), offset, 0, 0, page);
      },
      library_->directoryItem, library_->freeDirectories);
}

std::vector<FileEntry> FileIndex::folders(std::string_view matching, int limit) {
  std::vector<FileEntry> found = directorySearch(matching, limit);
  keepFirst(found, limit);
  return found;
}

std::vector<FileEntry> FileIndex::rootEntries(std::string_view query) const {
  std::vector<FileEntry> entries;
  const PreparedQuery prepared = FuzzyMatcher::prepare(query);
  if (prepared.empty()) return entries;
  for (const Root& root : roots_)
    if (FuzzyMatcher::score(prepared, MatchTarget(fileName(root.url))))
      entries.push_back({FileEntry::Kind::folder, root.url, 0, FileEntry::distantPast});
  return entries;
}

std::vector<LocalHit> FileIndex::rootHits(std::string_view query) {
  return hitsOf(rootMatches(query), options_.display);
}

std::vector<FileIndex::ScoredEntry> FileIndex::rootMatches(std::string_view query) {
  return scored(rootEntries(query), query, rootCount());
}

std::vector<LocalHit> FileIndex::hitsOf(const std::vector<ScoredEntry>& found, const FileDisplay& display) {
  std::vector<LocalHit> hits;
  hits.reserve(found.size());
  for (const ScoredEntry& scoredEntry : found)
    hits.push_back({fileCommand(scoredEntry.entry, display), scoredEntry.score});
  return hits;
}

std::vector<std::string> FileIndex::rootPaths() const {
  std::vector<std::string> paths;
  for (const Root& root : roots_)
    paths.push_back(root.url.filePath().value_or(root.url.text));
  return paths;
}

namespace {

// What a row's command id is made of: a file and a folder at one path are two rows.
std::string rowKey(const FileEntry& entry) {
  return (entry.kind == FileEntry::Kind::folder ? "folder." : "file.") +
         entry.url.filePath().value_or(entry.url.text);
}

}  // namespace

std::vector<FileIndex::ScoredEntry> FileIndex::scored(const std::vector<FileEntry>& entries,
                                                      std::string_view query, int limit) const {
  std::vector<ScoredEntry> hits;
  const PreparedQuery prepared = FuzzyMatcher::prepare(query);
  if (prepared.empty()) return hits;
  std::unordered_set<std::string> seen;
  for (const FileEntry& entry : entries) {
    const auto score = FuzzyMatcher::score(prepared, MatchTarget(fileName(entry.url)));
    if (!score) continue;
    if (seen.insert(rowKey(entry)).second) hits.push_back({entry, *score});
  }
  std::stable_sort(hits.begin(), hits.end(),
                   [](const ScoredEntry& a, const ScoredEntry& b) { return a.score > b.score; });
  keepFirst(hits, limit);
  return hits;
}

std::vector<LocalHit> FileIndex::localHits(std::string_view query, int limit) {
  if (FuzzyMatcher::prepare(query).empty()) return {};
  return hitsOf(scored(search(query, kLocalSearchLimit), query, limit), options_.display);
}

std::vector<LocalHit> FileIndex::filenameHits(std::string_view query, int limit) {
  return hitsOf(filenameMatches(query, limit), options_.display);
}

std::vector<FileIndex::ScoredEntry> FileIndex::filenameMatches(std::string_view query, int limit) {
  const std::string_view name = base::trimmedWhiteSpace(query);
  if (name.empty() || limit <= 0) return {};
  const int wanted = std::max(limit, kMinimumDirectoryLimit);
  const NameGlob typed = nameGlob(name);
  const std::string glob = "**/" + typed.pattern;
  const std::vector<std::string> patterns{glob, glob + ".*", glob + "*"};
  const std::uint32_t globOptions = typed.ignoreCase ? FFF_GLOB_IGNORE_CASE : 0;
  const PreparedQuery prepared = FuzzyMatcher::prepare(name);
  // The name globs (one pass for all three) and the two fuzzy searches are independent: in two
  // lanes, one pass's single-threaded parts (choosing and reading its items) overlap the
  // others'. Each pass also spreads over the cores inside the library; a third lane only made
  // more threads wait for the same two cores.
  std::future<std::vector<std::vector<FileEntry>>> globs =
      std::async(std::launch::async, [&] { return globEntriesEach(patterns, globOptions, wanted); });
  std::vector<FileEntry> named = directorySearch(name, wanted);
  const std::vector<FileEntry> fuzzyFound =
      prepared.empty() ? std::vector<FileEntry>{} : search(name, kLocalSearchLimit);
  for (std::vector<FileEntry>& more : globs.get())
    named.insert(named.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));

  std::vector<ScoredEntry> hits;
  std::unordered_map<std::string, std::size_t> at;
  const auto keep = [&](ScoredEntry hit) {
    const auto [found, added] = at.try_emplace(rowKey(hit.entry), hits.size());
    if (added)
      hits.push_back(std::move(hit));
    else if (hits[found->second].score < hit.score)
      hits[found->second].score = hit.score;
  };
  for (const FileEntry& entry : named) {
    const std::string title = fileName(entry.url);
    const auto fuzzy = prepared.empty() ? std::nullopt : FuzzyMatcher::score(prepared, MatchTarget(title));
    const FileNameStrength strength = fileNameStrength(name, title);
    // A folder search may find folders whose names do not hold the query at all.
    if (strength == FileNameStrength::weak && !fuzzy && entry.kind == FileEntry::Kind::folder) continue;
    keep({entry, grade(strength, fuzzy)});
  }
  if (!prepared.empty())
    for (ScoredEntry& hit : scored(fuzzyFound, name, limit))
      keep(std::move(hit));
  std::stable_sort(hits.begin(), hits.end(),
                   [](const ScoredEntry& a, const ScoredEntry& b) { return a.score > b.score; });
  keepFirst(hits, limit);
  return hits;
}

std::vector<FileEntry> FileIndex::files(const std::vector<CandidateGroup>& groups) {
  std::vector<std::vector<FileEntry>> lists;
  std::size_t total = 0;
  for (const CandidateGroup& group : groups) {
    if (group.limit <= 0 || group.extensions.empty()) {
      lists.emplace_back();
      continue;
    }
    total += static_cast<std::size_t>(group.limit);
    std::string pattern = "**/*.{";
    for (std::size_t k = 0; k < group.extensions.size(); ++k)
      pattern += (k ? "," : "") + group.extensions[k];
    pattern += "}";

    for (const Root& root : roots_) {
      // Give a scan still running a little time; the library ends each wait as the scan ends.
      const auto deadline = std::chrono::steady_clock::now() + options_.globScanWait;
      for (auto now = std::chrono::steady_clock::now(); now < deadline;
           now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (scanFinished(root, std::min(options_.scanPoll, left))) break;
      }
    }
    std::vector<FileEntry> found =
        globEntries(pattern, FFF_GLOB_NEWEST_FIRST | FFF_GLOB_IGNORE_CASE | FFF_GLOB_FILES_ONLY, group.limit);
    std::vector<std::pair<double, FileEntry>> dated;
    dated.reserve(found.size());
    for (FileEntry& entry : found) {
      const double date = recency(options_.files, entry);
      dated.emplace_back(date, std::move(entry));
    }
    std::sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
      if (a.first != b.first) return a.first > b.first;
      return a.second.url.filePath() < b.second.url.filePath();
    });
    std::vector<FileEntry> list;
    for (std::size_t k = 0; k < dated.size() && k < static_cast<std::size_t>(group.limit); ++k)
      list.push_back(std::move(dated[k].second));
    lists.push_back(std::move(list));
  }
  return interleave(lists, total);
}

std::vector<FileEntry> FileIndex::files(const std::vector<std::string>& extensions, int limit) {
  return files(std::vector<CandidateGroup>{{extensions, limit}});
}

}  // namespace quillo::core

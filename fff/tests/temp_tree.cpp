#include "temp_tree.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace fff::testing {
namespace {

void check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": " + std::strerror(errno));
}

int makeRemovable(const char* path, const struct stat* info, int type, FTW*) {
  if (type == FTW_D || type == FTW_DNR) ::chmod(path, 0700);
  (void)info;
  return 0;
}

template <class Header, class Free>
std::vector<FffItem> collect(FffResult* result, const FffItem* (*get)(const Header*, std::uint32_t),
                             Free release, std::deque<std::string>& kept) {
  std::vector<FffItem> items;
  if (!result) throw std::runtime_error("no result record");
  if (!result->success) {
    const std::string message = result->error ? result->error : "(no message)";
    fff_free_result(result);
    throw std::runtime_error(message);
  }
  auto* header = static_cast<Header*>(result->handle);
  for (std::uint32_t i = 0;; ++i) {
    const FffItem* item = get(header, i);
    if (!item) break;
    // The copy points at a string that outlives the search result.
    items.push_back(*item);
    items.back().path = kept.emplace_back(item->path, item->path_length).c_str();
  }
  release(header);
  fff_free_result(result);
  return items;
}

// The result's number, or -1 when the call failed; frees the result.
std::int64_t numberOf(FffResult* result) {
  const std::int64_t value = result && result->success ? result->int_value : -1;
  fff_free_result(result);
  return value;
}

}  // namespace

TempTree::TempTree() {
  char pattern[] = "/tmp/fff-tests.XXXXXX";
  check(::mkdtemp(pattern) != nullptr, "mkdtemp");
  root_ = pattern;
  // Readable by every user, so that a test may drop its privileges.
  ::chmod(root_.c_str(), 0755);
}

TempTree::~TempTree() {
  ::nftw(root_.c_str(), makeRemovable, 16, FTW_PHYS);
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string TempTree::path(std::string_view relative) const {
  return root_ + "/" + std::string(relative);
}

void TempTree::dir(std::string_view relative) const {
  std::filesystem::create_directories(path(relative));
}

void TempTree::settle() const {
  const timespec hourAgo{std::time(nullptr) - 3600, 0};
  const timespec times[2] = {hourAgo, hourAgo};
  check(::utimensat(AT_FDCWD, root_.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat " + root_);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root_))
    if (entry.is_directory() && !entry.is_symlink())
      check(::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW) == 0,
            "utimensat " + entry.path().string());
}

void TempTree::file(std::string_view relative, std::string_view content,
                    std::optional<std::time_t> modified) const {
  const std::size_t slash = relative.rfind('/');
  if (slash != std::string_view::npos) dir(relative.substr(0, slash));
  const std::string full = path(relative);
  {
    std::ofstream out(full, std::ios::binary);
    check(out.good(), "create " + full);
    out << content;
  }
  if (modified) {
    const timespec times[2] = {{*modified, 0}, {*modified, 0}};
    check(::utimensat(AT_FDCWD, full.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat " + full);
  }
}

void TempTree::symlink(std::string_view target, std::string_view relative) const {
  std::filesystem::create_symlink(target, path(relative));
}

void TempTree::remove(std::string_view relative) const {
  std::error_code ignored;
  std::filesystem::remove_all(path(relative), ignored);
}

void TempTree::rename(std::string_view from, std::string_view to) const {
  std::filesystem::rename(path(from), path(to));
}

Instance::Instance(const std::string& root, bool watch, std::uint32_t maxWatches, std::uint32_t rescanMs,
                   bool skipHidden, const std::string& savedIndex) {
  FffOptions options{};
  options.version = FFF_OPTIONS_VERSION;
  options.root = root.c_str();
  options.watch = watch ? 1 : 0;
  options.max_watches = maxWatches;
  options.rescan_interval_ms = rescanMs;
  options.skip_hidden = skipHidden ? 1 : 0;
  options.saved_index = savedIndex.empty() ? nullptr : savedIndex.c_str();
  create(options);
}

Instance::Instance(const FffOptions& options) {
  create(options);
}

void Instance::create(const FffOptions& options) {
  FffResult* result = fff_create_instance_with(&options);
  if (!result || !result->success) {
    const std::string message = result && result->error ? result->error : "no result";
    fff_free_result(result);
    throw std::runtime_error(message);
  }
  handle_ = static_cast<FffInstance*>(result->handle);
  fff_free_result(result);
}

bool Instance::waitForScan(std::uint64_t ms) const {
  return scanState(ms) != FFF_SCAN_RUNNING;
}

std::int64_t Instance::scanState(std::uint64_t ms, std::string* reason) const {
  FffResult* result = fff_wait_for_scan(handle_, ms);
  const std::int64_t state = result && result->success ? result->int_value : -1;
  if (reason) *reason = result && result->error ? result->error : "";
  fff_free_result(result);
  return state;
}

std::int64_t Instance::searchable(std::uint64_t ms) const {
  return numberOf(fff_wait_until_searchable(handle_, ms));
}

bool Instance::savedIndexStood() const {
  return numberOf(fff_saved_index_stood(handle_)) == 1;
}

std::int64_t Instance::count() const {
  return numberOf(fff_count_entries(handle_));
}

std::vector<FffItem> Instance::mixed(const std::string& query, std::uint32_t limit, std::uint32_t flags,
                                     std::uint32_t offset, std::uint32_t maxDepth,
                                     std::int32_t minScore) const {
  return collect<FffMixedSearchResult>(
      fff_search_mixed(handle_, query.c_str(), offset, flags, maxDepth, limit, minScore, 0),
      fff_mixed_search_result_get_item, fff_free_mixed_search_result, kept_);
}

std::vector<FffItem> Instance::glob(const std::string& pattern, std::uint32_t options, std::uint32_t limit,
                                    std::int64_t modifiedAfter) const {
  return collect<FffSearchResult>(fff_glob(handle_, pattern.c_str(), 0, modifiedAfter, options, limit),
                                  fff_search_result_get_item, fff_free_search_result, kept_);
}

std::vector<std::string> Instance::directoryPaths(const std::string& query, std::uint32_t limit) const {
  return pathsOf(collect<FffDirSearchResult>(fff_search_directories(handle_, query.c_str(), 0, 0, 0, limit),
                                             fff_dir_search_result_get_item, fff_free_dir_search_result,
                                             kept_));
}

std::vector<std::string> pathsOf(const std::vector<FffItem>& items) {
  std::vector<std::string> paths;
  for (const FffItem& item : items)
    paths.emplace_back(item.path, item.path_length);
  return paths;
}

bool eventually(const std::function<bool()>& condition, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

int asUnprivilegedUser(const std::function<int()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child < 0) return 30;
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(20);
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 31;
  return WEXITSTATUS(status);
}

}  // namespace fff::testing

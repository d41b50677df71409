// The C boundary: every exported function turns its arguments into C++ calls, and every
// outcome (exceptions included) into a result record. Nothing is thrown past this file.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "error.h"
#include "fff.h"
#include "glob_search.h"
#include "registry.h"
#include "search.h"

namespace fff {
namespace {

constexpr std::uint32_t kDefaultRescanMs = 30000;
// A longer wait is cut to this, which keeps the deadline arithmetic in range.
constexpr std::uint64_t kMaxWaitMs = std::uint64_t{1} << 31;

FffResult* allocate() {
  auto* result = static_cast<FffResult*>(std::calloc(1, sizeof(FffResult)));
  return result;
}

FffResult* success(void* handle, std::int64_t value = 0) {
  FffResult* result = allocate();
  if (!result) return nullptr;
  result->success = true;
  result->handle = handle;
  result->int_value = value;
  return result;
}

FffResult* failure(const char* message) {
  FffResult* result = allocate();
  if (!result) return nullptr;
  result->error = ::strdup(message);
  return result;
}

// Runs one operation, turning every exception into a failure record.
template <class Operation>
FffResult* guarded(Operation&& operation) noexcept {
  try {
    return operation();
  } catch (const Error& error) {
    return failure(error.what());
  } catch (const std::bad_alloc&) {
    return failure("The file index ran out of memory.");
  } catch (const std::exception& error) {
    return failure(error.what());
  } catch (...) {
    return failure("The file index failed unexpectedly.");
  }
}

std::shared_ptr<Instance> liveInstance(const FffInstance* handle) {
  if (!handle) throw Error("The instance handle is null.");
  auto instance = Registry::global().instance(handle);
  if (!instance) throw Error("The instance handle is not a live instance.");
  return instance;
}

std::string_view text(const char* value, const char* what) {
  if (!value) throw Error(std::string("The ") + what + " is null.");
  return value;
}

InstanceOptions instanceOptions(const FffOptions& options) {
  if (options.version != FFF_OPTIONS_VERSION)
    throw Error("The options are of version " + std::to_string(options.version) +
                "; this library reads version " + std::to_string(FFF_OPTIONS_VERSION) + ".");
  InstanceOptions converted;
  converted.root = text(options.root, "root folder");
  converted.maxWatches = options.max_watches;
  converted.rescanInterval = std::chrono::milliseconds(
      options.rescan_interval_ms == 0 ? kDefaultRescanMs : options.rescan_interval_ms);
  converted.skipHidden = options.skip_hidden != 0;
  converted.crossFileSystems = options.cross_file_systems != 0;
  converted.watch = options.watch != 0;
  converted.detailsOnDemand = options.details_on_demand != 0;
  if (options.saved_index) converted.savedIndex = options.saved_index;
  converted.saveDetached = options.save_detached != 0;
  return converted;
}

// Hands a search's results out under a handle of their own.
template <class Handle>
FffResult* resultRecord(std::unique_ptr<TypedResults<Handle>> results) {
  const auto count = static_cast<std::int64_t>(results->items.size());
  return success(Registry::global().addResults(std::move(results)), count);
}

template <class Handle>
FffResult* searchResult(const Instance& instance, const auto& search) {
  return resultRecord(instance.read(
      [&](const Index& index) { return buildResults<Handle>(index, instance.root(), search(index)); }));
}

GlobOptions globOptions(std::uint32_t offset, std::int64_t modifiedAfter, std::uint32_t flags,
                        std::uint32_t limit) {
  return {.offset = offset,
          .limit = limit,
          .modifiedAfter = modifiedAfter,
          .newestFirst = (flags & FFF_GLOB_NEWEST_FIRST) != 0,
          .ignoreCase = (flags & FFF_GLOB_IGNORE_CASE) != 0,
          .filesOnly = (flags & FFF_GLOB_FILES_ONLY) != 0,
          .directoriesOnly = (flags & FFF_GLOB_DIRECTORIES_ONLY) != 0};
}

// Ordering or choosing by time needs every entry's time.
void detailsFor(Instance& instance, const GlobOptions& options) {
  if (options.newestFirst || options.modifiedAfter != 0)
    instance.waitForDetails(std::chrono::milliseconds(kMaxWaitMs));
}

// A pattern's results, or the message its glob failed with.
using GlobResults = std::variant<std::unique_ptr<TypedResults<FffSearchResult>>, std::string>;

// The glob results of every pattern given (a null one fails as fff_glob fails for it), read
// from one look at the index.
std::vector<GlobResults> eachGlob(const Instance& instance, const char* const* patterns, std::uint32_t count,
                                  const GlobOptions& options) {
  std::vector<GlobResults> built;
  for (std::uint32_t k = 0; k < count; ++k)
    built.emplace_back(std::string("The pattern is null."));
  std::vector<std::string_view> given;
  std::vector<std::uint32_t> positions;
  for (std::uint32_t k = 0; k < count; ++k)
    if (patterns[k]) {
      given.emplace_back(patterns[k]);
      positions.push_back(k);
    }
  instance.read([&](const Index& index) {
    std::vector<GlobOutcome> outcomes = globSearchEach(index, given, options);
    for (std::size_t k = 0; k < outcomes.size(); ++k) {
      if (const auto* matches = std::get_if<Matches>(&outcomes[k]))
        built[positions[k]] = buildResults<FffSearchResult>(index, instance.root(), *matches);
      else
        built[positions[k]] = std::move(std::get<std::string>(outcomes[k]));
    }
  });
  return built;
}

template <class Handle>
const FffItem* itemOf(const Handle* result, std::uint32_t index) noexcept {
  try {
    return Registry::global().withResults(result, [&](const OwnedResults* found) -> const FffItem* {
      return found && index < found->items.size() ? &found->items[index] : nullptr;
    });
  } catch (...) {
    return nullptr;
  }
}

template <class Handle>
std::uint32_t countOf(const Handle* result) noexcept {
  try {
    return Registry::global().withResults(result, [](const OwnedResults* found) {
      return found ? static_cast<std::uint32_t>(found->items.size()) : 0u;
    });
  } catch (...) {
    return 0;
  }
}

template <class Handle>
std::uint64_t totalOf(const Handle* result) noexcept {
  try {
    return Registry::global().withResults(
        result, [](const OwnedResults* found) { return found ? found->totalMatched : std::uint64_t{0}; });
  } catch (...) {
    return 0;
  }
}

template <class Handle>
void freeOf(Handle* result) noexcept {
  try {
    if (result) Registry::global().freeResults(result);
  } catch (...) {
  }
}

}  // namespace
}  // namespace fff

using namespace fff;

extern "C" {

FffResult* fff_create_instance_with(const FffOptions* options) {
  return guarded([&] {
    if (!options) throw Error("The options are null.");
    auto instance = std::make_shared<Instance>(instanceOptions(*options));
    return success(Registry::global().addInstance(std::move(instance)));
  });
}

FffResult* fff_wait_for_scan(FffInstance* handle, std::uint64_t timeoutMs) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    const ScanStatus status =
        instance->waitForScan(std::chrono::milliseconds(std::min(timeoutMs, kMaxWaitMs)));
    switch (status.state) {
      case ScanState::running:
        return success(nullptr, FFF_SCAN_RUNNING);
      case ScanState::complete:
        return success(nullptr, FFF_SCAN_COMPLETE);
      case ScanState::incomplete:
        break;
    }
    FffResult* result = success(nullptr, FFF_SCAN_INCOMPLETE);
    if (result) result->error = ::strdup(status.reason.c_str());
    return result;
  });
}

FffResult* fff_wait_until_searchable(FffInstance* handle, std::uint64_t timeoutMs) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    switch (instance->waitUntilSearchable(std::chrono::milliseconds(std::min(timeoutMs, kMaxWaitMs)))) {
      case Searchable::notYet:
        return success(nullptr, FFF_SEARCHABLE_NOT_YET);
      case Searchable::asSaved:
        return success(nullptr, FFF_SEARCHABLE_AS_SAVED);
      case Searchable::scanned:
        break;
    }
    return success(nullptr, FFF_SEARCHABLE_SCANNED);
  });
}

FffResult* fff_saved_index_stood(FffInstance* handle) {
  return guarded([&] { return success(nullptr, liveInstance(handle)->savedIndexStood() ? 1 : 0); });
}

FffResult* fff_count_entries(FffInstance* handle) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    return success(nullptr, static_cast<std::int64_t>(instance->entryCount()));
  });
}

FffResult* fff_search_mixed(FffInstance* handle, const char* query, std::uint32_t offset, std::uint32_t flags,
                            std::uint32_t maxDepth, std::uint32_t limit, std::int32_t minScore,
                            std::uint32_t) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    const SearchOptions options{.offset = offset,
                                .limit = limit,
                                .maxDepth = maxDepth,
                                .minScore = minScore,
                                .matchCase = (flags & FFF_SEARCH_MATCH_CASE) != 0};
    const std::string_view typed = text(query, "query");
    return searchResult<FffMixedSearchResult>(
        *instance, [&](const Index& index) { return fuzzySearch(index, typed, options); });
  });
}

FffResult* fff_search_directories(FffInstance* handle, const char* query, std::uint32_t offset,
                                  std::uint32_t flags, std::uint32_t maxDepth, std::uint32_t limit) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    const SearchOptions options{.offset = offset,
                                .limit = limit,
                                .maxDepth = maxDepth,
                                .matchCase = (flags & FFF_SEARCH_MATCH_CASE) != 0,
                                .directoriesOnly = true};
    const std::string_view typed = text(query, "query");
    return searchResult<FffDirSearchResult>(
        *instance, [&](const Index& index) { return fuzzySearch(index, typed, options); });
  });
}

FffResult* fff_glob(FffInstance* handle, const char* pattern, std::uint32_t offset,
                    std::int64_t modifiedAfter, std::uint32_t flags, std::uint32_t limit) {
  return guarded([&] {
    auto instance = liveInstance(handle);
    const GlobOptions options = globOptions(offset, modifiedAfter, flags, limit);
    const std::string_view typed = text(pattern, "pattern");
    detailsFor(*instance, options);
    return searchResult<FffSearchResult>(
        *instance, [&](const Index& index) { return globSearch(index, typed, options); });
  });
}

FffResult* fff_glob_each(FffInstance* handle, const char* const* patterns, std::uint32_t count,
                         std::uint32_t offset, std::int64_t modifiedAfter, std::uint32_t flags,
                         std::uint32_t limit, FffResult** results) {
  return guarded([&]() -> FffResult* {
    if (!results) throw Error("The results are null.");
    std::fill_n(results, count, nullptr);
    if (!patterns && count > 0) throw Error("The patterns are null.");
    auto instance = liveInstance(handle);
    const GlobOptions options = globOptions(offset, modifiedAfter, flags, limit);
    detailsFor(*instance, options);
    std::vector<GlobResults> built = eachGlob(*instance, patterns, count, options);
    // Records are made once every search has ended, so that a failure leaves none behind.
    FffResult* outcome = success(nullptr, count);
    if (!outcome) return nullptr;
    try {
      for (std::uint32_t k = 0; k < count; ++k) {
        if (auto* found = std::get_if<0>(&built[k]))
          results[k] = resultRecord(std::move(*found));
        else
          results[k] = failure(std::get<std::string>(built[k]).c_str());
      }
    } catch (...) {
      for (std::uint32_t k = 0; k < count; ++k) {
        if (results[k]) fff_free_search_result(static_cast<FffSearchResult*>(results[k]->handle));
        fff_free_result(std::exchange(results[k], nullptr));
      }
      fff_free_result(outcome);
      throw;
    }
    return outcome;
  });
}

const FffItem* fff_mixed_search_result_get_item(const FffMixedSearchResult* result, std::uint32_t index) {
  return itemOf(result, index);
}

const FffItem* fff_dir_search_result_get_item(const FffDirSearchResult* result, std::uint32_t index) {
  return itemOf(result, index);
}

const FffItem* fff_search_result_get_item(const FffSearchResult* result, std::uint32_t index) {
  return itemOf(result, index);
}

std::uint32_t fff_mixed_search_result_count(const FffMixedSearchResult* result) {
  return countOf(result);
}
std::uint32_t fff_dir_search_result_count(const FffDirSearchResult* result) {
  return countOf(result);
}
std::uint32_t fff_search_result_count(const FffSearchResult* result) {
  return countOf(result);
}

std::uint64_t fff_mixed_search_result_total_matched(const FffMixedSearchResult* result) {
  return totalOf(result);
}
std::uint64_t fff_dir_search_result_total_matched(const FffDirSearchResult* result) {
  return totalOf(result);
}
std::uint64_t fff_search_result_total_matched(const FffSearchResult* result) {
  return totalOf(result);
}

void fff_free_mixed_search_result(FffMixedSearchResult* result) {
  freeOf(result);
}
void fff_free_dir_search_result(FffDirSearchResult* result) {
  freeOf(result);
}
void fff_free_search_result(FffSearchResult* result) {
  freeOf(result);
}

void fff_free_result(FffResult* result) {
  if (!result) return;
  std::free(result->error);
  std::free(result);
}

void fff_stop(FffInstance* handle) {
  try {
    if (!handle) return;
    if (auto instance = Registry::global().instance(handle)) instance->stopBeforeExit();
  } catch (...) {
  }
}

void fff_destroy(FffInstance* handle) {
  try {
    if (!handle) return;
    if (auto instance = Registry::global().takeInstance(handle)) instance->stop();
  } catch (...) {
  }
}

}  // extern "C"

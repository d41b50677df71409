/* libfff_c: an index of one folder tree, scanned in the background, kept current, and searched
 * by fuzzy name, by folder name and by glob pattern.
 *
 * Conventions (see README.md for the whole contract):
 * - Every operation returns a newly allocated FffResult*, or null when even that allocation
 *   failed. Free it with fff_free_result. A failed operation has success == false and a
 *   message in `error`; nothing is thrown across this boundary.
 * - An instance handle comes from fff_create_instance_with and is ended by fff_destroy. Using a
 *   handle after fff_destroy gives an error result, never a crash.
 * - A search returns its result in FffResult.handle: an opaque number, never reused, read
 *   through the functions of its kind and freed with the free function of its kind. Item
 *   records and their paths live as long as the search result.
 * - Strings are NUL-terminated UTF-8 in, NUL-terminated bytes out: paths that are not valid
 *   UTF-8 are returned as the file system stores them.
 * - All functions are safe to call from any thread, on the same instance concurrently.
 */
#ifndef FFF_H_
#define FFF_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define FFF_EXPORT __attribute__((visibility("default")))
#else
#define FFF_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The interface this header declares: the options layout, opaque search results and the scan
 * states. A caller built for another version is refused at creation. */
#define FFF_OPTIONS_VERSION 3u

/* int_value of fff_wait_for_scan */
#define FFF_SCAN_RUNNING 0
#define FFF_SCAN_COMPLETE 1
#define FFF_SCAN_INCOMPLETE 2

/* int_value of fff_wait_until_searchable */
#define FFF_SEARCHABLE_NOT_YET 0
#define FFF_SEARCHABLE_AS_SAVED 1
#define FFF_SEARCHABLE_SCANNED 2

/* FffItem.kind */
#define FFF_KIND_FILE 0u
#define FFF_KIND_DIRECTORY 1u

/* FffItem.flags */
#define FFF_ITEM_SYMLINK 1u

/* Flags of fff_search_mixed and fff_search_directories. */
#define FFF_SEARCH_MATCH_CASE 1u

/* Options of fff_glob. */
#define FFF_GLOB_NEWEST_FIRST 1u
#define FFF_GLOB_IGNORE_CASE 2u
#define FFF_GLOB_FILES_ONLY 4u
#define FFF_GLOB_DIRECTORIES_ONLY 8u

typedef struct FffInstance FffInstance;

/* The outcome of every operation. */
typedef struct FffResult {
  bool success;      /* offset 0 */
  char* error;       /* offset 8: message ending in a full stop, or null; freed with the record */
  void* handle;      /* offset 16: the instance or search result produced, or null */
  int64_t int_value; /* offset 24: the operation's number, where it has one */
} FffResult;

/* Options of fff_create_instance_with. Zero is the default of every field except `version`
 * and `root`; reserved bytes are ignored. */
typedef struct FffOptions {
  uint32_t version;            /* offset 0: FFF_OPTIONS_VERSION */
  uint32_t max_watches;        /* offset 4: most folders watched; 0 = as many as the system allows */
  const char* root;            /* offset 8: the folder to index */
  uint32_t rescan_interval_ms; /* offset 16: rescan period of unwatched folders; 0 = 30000 */
  uint32_t reserved0;          /* offset 20 */
  const char* saved_index;     /* offset 24: file the index is kept in between runs; null = none */
  uint8_t skip_hidden;         /* offset 32: 1 = leave out names beginning with "." */
  uint8_t cross_file_systems;  /* offset 33: 1 = descend into other mounted file systems */
  uint8_t watch;               /* offset 34: 1 = keep the index current after the first scan */
  uint8_t details_on_demand;   /* offset 35: without watch, 1 = read sizes and times only when a
                                  glob needs them all (result items always carry their own) */
  uint8_t save_detached;       /* offset 36: 1 = the index saved as the instance is destroyed is
                                  written by a process of its own, which fff_destroy does not
                                  wait for (for a program about to end) */
  uint8_t reserved2[51];       /* offsets 37 to 87 */
} FffOptions;

/* One file or folder found. */
typedef struct FffItem {
  uint8_t kind;         /* offset 0: FFF_KIND_FILE or FFF_KIND_DIRECTORY */
  uint8_t flags;        /* offset 1: FFF_ITEM_SYMLINK for a symbolic link (never followed) */
  uint16_t reserved0;   /* offset 2 */
  int32_t score;        /* offset 4: relevance of a fuzzy search, higher is better; 0 for globs */
  const char* path;     /* offset 8: relative to the root, "/" between components, no leading "/" */
  uint32_t path_length; /* offset 16: bytes of path, without the NUL */
  uint32_t name_offset; /* offset 20: where the last component begins in path */
  uint32_t depth;       /* offset 24: 0 for an item directly in the root */
  uint32_t reserved1;   /* offset 28 */
  uint64_t size;        /* offset 32: bytes of a file (of the link itself for a link); 0 for folders */
  int64_t modified;     /* offset 40: modification time, whole seconds since 1970 */
} FffItem;

/* Search results are opaque handles: numbers handed out once, never addresses, so that a
 * result freed twice or used after its release is recognised whatever was allocated since.
 * Distinct types keep their functions apart. */
typedef struct FffSearchResult FffSearchResult;
typedef struct FffMixedSearchResult FffMixedSearchResult;
typedef struct FffDirSearchResult FffDirSearchResult;

#if defined(__cplusplus)
#define FFF_STATIC_ASSERT static_assert
#else
#define FFF_STATIC_ASSERT _Static_assert
#endif
FFF_STATIC_ASSERT(offsetof(FffResult, success) == 0, "FffResult.success");
FFF_STATIC_ASSERT(offsetof(FffResult, error) == 8, "FffResult.error");
FFF_STATIC_ASSERT(offsetof(FffResult, handle) == 16, "FffResult.handle");
FFF_STATIC_ASSERT(offsetof(FffResult, int_value) == 24, "FffResult.int_value");
FFF_STATIC_ASSERT(sizeof(FffOptions) == 88, "FffOptions size");
FFF_STATIC_ASSERT(offsetof(FffOptions, root) == 8, "FffOptions.root");
FFF_STATIC_ASSERT(offsetof(FffOptions, saved_index) == 24, "FffOptions.saved_index");
FFF_STATIC_ASSERT(offsetof(FffOptions, watch) == 34, "FffOptions.watch");
FFF_STATIC_ASSERT(offsetof(FffOptions, save_detached) == 36, "FffOptions.save_detached");
FFF_STATIC_ASSERT(offsetof(FffItem, kind) == 0, "FffItem.kind");
FFF_STATIC_ASSERT(offsetof(FffItem, path) == 8, "FffItem.path");
FFF_STATIC_ASSERT(offsetof(FffItem, size) == 32, "FffItem.size");
FFF_STATIC_ASSERT(offsetof(FffItem, modified) == 40, "FffItem.modified");
FFF_STATIC_ASSERT(sizeof(FffItem) == 48, "FffItem size");
#undef FFF_STATIC_ASSERT

/* Creates an index of options->root and starts scanning it on a thread of its own; returns at
 * once. On success `handle` is the FffInstance*. Fails when the options are null or of another
 * version, or the root is not a readable folder. */
FFF_EXPORT FffResult* fff_create_instance_with(const FffOptions* options);

/* Waits up to timeout_ms milliseconds (0: not at all) for the first scan to finish.
 * int_value is FFF_SCAN_RUNNING while it runs, FFF_SCAN_COMPLETE once every folder was read,
 * or FFF_SCAN_INCOMPLETE once it ended without reading everything (folders that could not be
 * read, the scan stopped by a failure): then `error` says why, although `success` is true. */
FFF_EXPORT FffResult* fff_wait_for_scan(FffInstance* instance, uint64_t timeout_ms);

/* Waits up to timeout_ms milliseconds (0: not at all) for searches to be answerable. int_value
 * is FFF_SEARCHABLE_NOT_YET while a first scan runs; FFF_SEARCHABLE_AS_SAVED once an instance
 * that does not watch has loaded its saved index and is checking its folders: searches answer
 * from the index as it was saved, until a changed folder is listed again (see
 * fff_saved_index_stood); FFF_SEARCHABLE_SCANNED once the scan has ended (fff_wait_for_scan
 * says how). */
FFF_EXPORT FffResult* fff_wait_until_searchable(FffInstance* instance, uint64_t timeout_ms);

/* int_value 1 once the scan has ended when the index was loaded from the saved file and no
 * folder had changed since: what searches found as saved stands. 0 otherwise (no saved index
 * used, a folder changed, or the scan still running). */
FFF_EXPORT FffResult* fff_saved_index_stood(FffInstance* instance);

/* Number of files and folders indexed now, in int_value. */
FFF_EXPORT FffResult* fff_count_entries(FffInstance* instance);

/* Fuzzy search over files and folders. The query's spaces are ignored; matching ignores case
 * unless flags has FFF_SEARCH_MATCH_CASE. Skips the `offset` best matches, returns at most
 * `limit` items, only those fewer than max_depth components deep (0: any depth) and scoring at
 * least min_score. `handle` is an FffMixedSearchResult*. */
FFF_EXPORT FffResult* fff_search_mixed(FffInstance* instance, const char* query, uint32_t offset,
                                       uint32_t flags, uint32_t max_depth, uint32_t limit, int32_t min_score,
                                       uint32_t reserved);

/* The same search over folders only. `handle` is an FffDirSearchResult*. */
FFF_EXPORT FffResult* fff_search_directories(FffInstance* instance, const char* query, uint32_t offset,
                                             uint32_t flags, uint32_t max_depth, uint32_t limit);

/* Items whose relative path matches a glob pattern: "*" and "?" within one component, "**" as a
 * whole component for any number of components, bracket classes ("[a-z]", "[!0-9]"), "{a,b}"
 * alternatives and backslash escapes. Only items modified at or after modified_after (seconds
 * since 1970; 0: any time). Ordered by path, or newest first with FFF_GLOB_NEWEST_FIRST.
 * `handle` is an FffSearchResult*. A malformed pattern, one longer than 4096 bytes or one whose
 * "{...}" alternatives are too many (over 4096) or too long together fails with a message. */
FFF_EXPORT FffResult* fff_glob(FffInstance* instance, const char* pattern, uint32_t offset,
                               int64_t modified_after, uint32_t options, uint32_t limit);

/* The globs of several patterns found in one pass over the index, for a caller that asks
 * related patterns together ("name", "name.*", "name*"). results[k] receives the record that
 * fff_glob(instance, patterns[k], offset, modified_after, options, limit) would return: the same
 * items in the same order and the same total, or a failure with its message for a null or
 * malformed pattern; each is freed as that record would be. The returned record fails, leaving
 * every results[k] null, for a handle that is not a live instance or null arrays; otherwise
 * int_value is count. */
FFF_EXPORT FffResult* fff_glob_each(FffInstance* instance, const char* const* patterns, uint32_t count,
                                    uint32_t offset, int64_t modified_after, uint32_t options, uint32_t limit,
                                    FffResult** results);

/* Item `index` of a search result, or null past its count or for a null, released or foreign
 * result. */
FFF_EXPORT const FffItem* fff_mixed_search_result_get_item(const FffMixedSearchResult* result,
                                                           uint32_t index);
FFF_EXPORT const FffItem* fff_dir_search_result_get_item(const FffDirSearchResult* result, uint32_t index);
FFF_EXPORT const FffItem* fff_search_result_get_item(const FffSearchResult* result, uint32_t index);

/* Items in a search result (also its FffResult's int_value); 0 for a released or foreign one. */
FFF_EXPORT uint32_t fff_mixed_search_result_count(const FffMixedSearchResult* result);
FFF_EXPORT uint32_t fff_dir_search_result_count(const FffDirSearchResult* result);
FFF_EXPORT uint32_t fff_search_result_count(const FffSearchResult* result);

/* How many items matched before offset and limit were applied; 0 for a released or foreign
 * result. */
FFF_EXPORT uint64_t fff_mixed_search_result_total_matched(const FffMixedSearchResult* result);
FFF_EXPORT uint64_t fff_dir_search_result_total_matched(const FffDirSearchResult* result);
FFF_EXPORT uint64_t fff_search_result_total_matched(const FffSearchResult* result);

/* Release search results; null, already released and foreign results are ignored. */
FFF_EXPORT void fff_free_mixed_search_result(FffMixedSearchResult* result);
FFF_EXPORT void fff_free_dir_search_result(FffDirSearchResult* result);
FFF_EXPORT void fff_free_search_result(FffSearchResult* result);

/* Releases a result record and its message, not the handle it carries. Null is ignored. */
FFF_EXPORT void fff_free_result(FffResult* result);

/* Stops the instance's thread and waits for it, leaving the index in place: searches still
 * answer, and a detached save (save_detached) has been started by the time it returns, as a
 * child of this process. For a process that ends right after and need not free the index (a
 * process that lives on would keep that child to reap); the handle still wants fff_destroy
 * otherwise. A null, destroyed or unknown handle is ignored. */
FFF_EXPORT void fff_stop(FffInstance* instance);

/* Stops the instance's thread, waits for it and releases the index. Search results already
 * returned stay valid. A null, destroyed or unknown handle is ignored. */
FFF_EXPORT void fff_destroy(FffInstance* instance);

#ifdef __cplusplus
}
#endif

#endif /* FFF_H_ */

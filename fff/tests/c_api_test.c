/* The library's C interface used from C, as the application and other C callers use it. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "fff.h"

static int passed = 0;
static int failed = 0;

#define CHECK(condition)                                                            \
  do {                                                                              \
    if (condition) {                                                                \
      ++passed;                                                                     \
    } else {                                                                        \
      ++failed;                                                                     \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
    }                                                                               \
  } while (0)

static char root[256];

static void make_dir(const char* relative) {
  char path[512];
  snprintf(path, sizeof path, "%s/%s", root, relative);
  mkdir(path, 0755);
}

static void make_file(const char* relative, const char* content, time_t modified) {
  char path[512];
  snprintf(path, sizeof path, "%s/%s", root, relative);
  FILE* file = fopen(path, "w");
  if (!file) {
    perror(path);
    exit(2);
  }
  fputs(content, file);
  fclose(file);
  struct timespec times[2] = {{modified, 0}, {modified, 0}};
  utimensat(AT_FDCWD, path, times, 0);
}

static void remove_tree(void) {
  char command[512];
  snprintf(command, sizeof command, "rm -rf '%s'", root);
  if (system(command) != 0) fprintf(stderr, "could not remove %s\n", root);
}

static FffOptions options_for(const char* folder) {
  FffOptions options;
  memset(&options, 0, sizeof options);
  options.version = FFF_OPTIONS_VERSION;
  options.root = folder;
  options.watch = 1;
  return options;
}

static FffInstance* open_instance(void) {
  FffOptions options = options_for(root);
  FffResult* created = fff_create_instance_with(&options);
  CHECK(created != NULL && created->success && created->handle != NULL && created->error == NULL);
  FffInstance* instance = created ? (FffInstance*)created->handle : NULL;
  fff_free_result(created);
  FffResult* waited = fff_wait_for_scan(instance, 10000);
  CHECK(waited != NULL && waited->success && waited->int_value == FFF_SCAN_COMPLETE && waited->error == NULL);
  fff_free_result(waited);
  return instance;
}

static void test_record_layout(void) {
  /* The offsets a caller reading raw memory relies on. */
  CHECK(offsetof(FffResult, success) == 0 && offsetof(FffResult, error) == 8);
  CHECK(offsetof(FffResult, handle) == 16 && offsetof(FffResult, int_value) == 24);
  CHECK(sizeof(FffOptions) == 88 && offsetof(FffOptions, root) == 8 && offsetof(FffOptions, watch) == 34);
  CHECK(offsetof(FffItem, kind) == 0 && offsetof(FffItem, path) == 8);
  CHECK(offsetof(FffItem, size) == 32 && offsetof(FffItem, modified) == 40);

  /* The program fills options as raw bytes: version 3 at 0, the root at 8, watching at 34. */
  unsigned char raw[88];
  memset(raw, 0, sizeof raw);
  uint32_t version = 3;
  const char* folder = root;
  memcpy(raw, &version, sizeof version);
  memcpy(raw + 8, &folder, sizeof folder);
  raw[34] = 1;
  FffResult* created = fff_create_instance_with((const FffOptions*)raw);
  CHECK(created && created->success);
  if (created && created->success) fff_destroy((FffInstance*)created->handle);
  fff_free_result(created);
}

static void test_creation_failures(void) {
  FffResult* result = fff_create_instance_with(NULL);
  CHECK(result && !result->success && result->error && result->handle == NULL);
  fff_free_result(result);

  FffOptions options = options_for(root);
  options.version = 2;
  result = fff_create_instance_with(&options);
  CHECK(result && !result->success && result->error && strstr(result->error, "version") != NULL);
  fff_free_result(result);

  options = options_for(NULL);
  result = fff_create_instance_with(&options);
  CHECK(result && !result->success && result->error);
  fff_free_result(result);

  char missing[300];
  snprintf(missing, sizeof missing, "%s/no such folder", root);
  options = options_for(missing);
  result = fff_create_instance_with(&options);
  CHECK(result && !result->success && result->error);
  fff_free_result(result);

  char file[300];
  snprintf(file, sizeof file, "%s/notes.md", root);
  options = options_for(file);
  result = fff_create_instance_with(&options);
  CHECK(result && !result->success && result->error && strstr(result->error, "not a folder") != NULL);
  fff_free_result(result);
}

static void test_searches(FffInstance* instance) {
  FffResult* count = fff_count_entries(instance);
  CHECK(count && count->success && count->int_value == 8);
  fff_free_result(count);

  FffResult* result = fff_search_mixed(instance, "main", 0, 0, 0, 10, 0, 0);
  CHECK(result && result->success && result->handle);
  FffMixedSearchResult* mixed = (FffMixedSearchResult*)result->handle;
  CHECK(fff_mixed_search_result_count(mixed) >= 1 &&
        result->int_value == fff_mixed_search_result_count(mixed));
  const FffItem* first = fff_mixed_search_result_get_item(mixed, 0);
  CHECK(first && strcmp(first->path, "src/main.c") == 0 && first->kind == FFF_KIND_FILE);
  CHECK(first && first->size == 14 && first->modified == 1700000300 && first->path_length == 10);
  CHECK(first && strcmp(first->path + first->name_offset, "main.c") == 0 && first->depth == 1);
  CHECK(fff_mixed_search_result_get_item(mixed, fff_mixed_search_result_count(mixed)) == NULL);
  CHECK(fff_mixed_search_result_get_item(NULL, 0) == NULL);
  fff_free_mixed_search_result(mixed);
  fff_free_result(result);

  result = fff_search_directories(instance, "util", 0, 0, 0, 10);
  CHECK(result && result->success);
  FffDirSearchResult* dirs = (FffDirSearchResult*)result->handle;
  const FffItem* folder = fff_dir_search_result_get_item(dirs, 0);
  CHECK(fff_dir_search_result_count(dirs) == 1 && folder && strcmp(folder->path, "src/util") == 0 &&
        folder->kind == FFF_KIND_DIRECTORY);
  CHECK(folder && folder->size == 0);
  fff_free_dir_search_result(dirs);
  fff_free_result(result);

  result = fff_glob(instance, "**/*.{c,md}", 0, 0, FFF_GLOB_NEWEST_FIRST, 2);
  CHECK(result && result->success);
  FffSearchResult* globbed = (FffSearchResult*)result->handle;
  CHECK(fff_search_result_count(globbed) == 2 && fff_search_result_total_matched(globbed) == 3);
  const FffItem* newest = fff_search_result_get_item(globbed, 0);
  const FffItem* second = fff_search_result_get_item(globbed, 1);
  CHECK(newest && strcmp(newest->path, "src/util/helpers.c") == 0);
  CHECK(second && strcmp(second->path, "src/main.c") == 0);
  fff_free_search_result(globbed);
  fff_free_result(result);

  /* Several patterns in one call: a record per pattern, a malformed one failing alone. */
  const char* patterns[] = {"**/*.{c,md}", "src/[a-", "**/main*"};
  FffResult* each[3] = {NULL, NULL, NULL};
  result = fff_glob_each(instance, patterns, 3, 0, 0, FFF_GLOB_NEWEST_FIRST, 2, each);
  CHECK(result && result->success && result->int_value == 3);
  fff_free_result(result);
  CHECK(each[0] && each[0]->success && each[0]->int_value == 2);
  CHECK(each[1] && !each[1]->success && each[1]->error && each[1]->handle == NULL);
  CHECK(each[2] && each[2]->success && each[2]->int_value == 1);
  for (int k = 0; k < 3; ++k) {
    if (each[k]->success) fff_free_search_result((FffSearchResult*)each[k]->handle);
    fff_free_result(each[k]);
  }
}

static void test_misuse(FffInstance* instance) {
  /* Bad UTF-8, a huge limit and an empty query are ordinary input. */
  FffResult* result = fff_search_mixed(instance, "\xff\xfe\xc3", 0, 0, 0, UINT32_MAX, 0, 0);
  CHECK(result && result->success);
  if (result && result->success) fff_free_mixed_search_result((FffMixedSearchResult*)result->handle);
  fff_free_result(result);

  result = fff_search_mixed(instance, "", 0, 0, 0, UINT32_MAX, 0, 0);
  CHECK(result && result->success && result->int_value == 8);
  if (result && result->success) fff_free_mixed_search_result((FffMixedSearchResult*)result->handle);
  fff_free_result(result);

  result = fff_search_mixed(instance, NULL, 0, 0, 0, 10, 0, 0);
  CHECK(result && !result->success && result->error && result->handle == NULL);
  fff_free_result(result);

  result = fff_glob(instance, "src/[a-", 0, 0, 0, 10);
  CHECK(result && !result->success && result->error && strstr(result->error, "[") != NULL);
  fff_free_result(result);

  result = fff_search_mixed(NULL, "main", 0, 0, 0, 10, 0, 0);
  CHECK(result && !result->success && result->error);
  fff_free_result(result);

  /* Freeing twice, or with the wrong function, is ignored. */
  result = fff_glob(instance, "**", 0, 0, 0, 10);
  FffSearchResult* globbed = (FffSearchResult*)result->handle;
  fff_free_dir_search_result((FffDirSearchResult*)globbed);
  CHECK(fff_search_result_get_item(globbed, 0) != NULL);
  fff_free_search_result(globbed);
  fff_free_search_result(globbed);
  CHECK(fff_search_result_get_item(globbed, 0) == NULL);
  CHECK(fff_search_result_count(globbed) == 0 && fff_search_result_total_matched(globbed) == 0);
  fff_free_result(result);
  fff_free_result(NULL);
}

/* A result freed twice: the second free must not reach a result made in between, whatever
 * memory that one was given. */
static void test_double_free_spares_a_newer_result(FffInstance* instance) {
  FffResult* first = fff_search_mixed(instance, "main", 0, 0, 0, 10, 0, 0);
  FffMixedSearchResult* a = (FffMixedSearchResult*)first->handle;
  fff_free_result(first);
  fff_free_mixed_search_result(a);

  FffResult* second = fff_search_mixed(instance, "main", 0, 0, 0, 10, 0, 0);
  FffMixedSearchResult* b = (FffMixedSearchResult*)second->handle;
  fff_free_result(second);
  CHECK(b != a);
  fff_free_mixed_search_result(a);

  const FffItem* item = fff_mixed_search_result_get_item(b, 0);
  CHECK(item && strcmp(item->path, "src/main.c") == 0);
  CHECK(fff_mixed_search_result_count(b) >= 1);
  fff_free_mixed_search_result(b);
}

static void test_destroyed_handle(FffInstance* instance) {
  FffResult* result = fff_search_mixed(instance, "main", 0, 0, 0, 10, 0, 0);
  FffMixedSearchResult* kept = (FffMixedSearchResult*)result->handle;
  fff_free_result(result);

  fff_destroy(instance);
  fff_destroy(instance);
  fff_destroy(NULL);

  /* Results outlive their instance. */
  const FffItem* item = fff_mixed_search_result_get_item(kept, 0);
  CHECK(item && strcmp(item->path, "src/main.c") == 0);
  fff_free_mixed_search_result(kept);

  result = fff_wait_for_scan(instance, 1);
  CHECK(result && !result->success && result->error && strstr(result->error, "live") != NULL);
  fff_free_result(result);
  result = fff_glob(instance, "**", 0, 0, 0, 10);
  CHECK(result && !result->success);
  fff_free_result(result);
}

int main(void) {
  snprintf(root, sizeof root, "/tmp/fff-c-test.XXXXXX");
  if (!mkdtemp(root)) {
    perror("mkdtemp");
    return 2;
  }
  make_dir("src");
  make_dir("src/util");
  make_dir("docs");
  make_file("src/main.c", "int main() {}\n", 1700000300);
  make_file("src/util/helpers.c", "/* helpers */\n", 1700000900);
  make_file("docs/read me.txt", "read me\n", 1700000100);
  make_file("notes.md", "# notes\n", 1700000200);
  make_file(".hidden", "", 1700000000);

  test_record_layout();
  test_creation_failures();
  FffInstance* instance = open_instance();
  test_searches(instance);
  test_misuse(instance);
  test_double_free_spares_a_newer_result(instance);
  test_destroyed_handle(instance);

  remove_tree();
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

#include <fff.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../fuzz_target.h"

namespace {

// One index over a small tree, made once per process and kept to its end.
FffInstance* instance() {
  static FffInstance* const made = [] {
    char folder[] = "/tmp/quillo-fuzz-fff-XXXXXX";
    quillo::fuzz::require(mkdtemp(folder) != nullptr, "a temporary folder");
    const std::filesystem::path root(folder);
    for (const char* name : {"src/main.cpp", "src/Main.h", "docs/Q3 Sales Report.pdf", "café/naïve.txt",
                             "a/b/c/d/e/deep.tar.gz", ".hidden/x", "README.md"}) {
      std::filesystem::create_directories((root / name).parent_path());
      std::ofstream(root / name) << name;
    }
    FffOptions options{};
    options.version = FFF_OPTIONS_VERSION;
    options.root = folder;
    FffResult* created = fff_create_instance_with(&options);
    quillo::fuzz::require(created->success, "the index starts");
    auto* handle = static_cast<FffInstance*>(created->handle);
    fff_free_result(created);
    fff_free_result(fff_wait_for_scan(handle, 10000));
    return handle;
  }();
  return made;
}

// Every call answers with a result or an error message, never both, never neither.
void check(FffResult* result) {
  quillo::fuzz::require(result != nullptr, "a result record");
  quillo::fuzz::require(result->success == (result->error == nullptr), "success or a message");
}

}  // namespace

// Patterns and queries through the file index's C interface. Input: one byte choosing the call
// and its flags, then the pattern or query (up to the first NUL).
QUILLO_FUZZ_TARGET(fff_query) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string query(reinterpret_cast<const char*>(data + 1), size - 1);
  FffResult* result = nullptr;
  switch (choice % 3) {
    case 0:
      result = fff_glob(instance(), query.c_str(), 0, 0, (choice >> 2) & 15u, 50);
      check(result);
      if (result->success) fff_free_search_result(static_cast<FffSearchResult*>(result->handle));
      break;
    case 1:
      result = fff_search_mixed(instance(), query.c_str(), 0, (choice >> 2) & 1u, 0, 50, 0, 0);
      check(result);
      if (result->success) fff_free_mixed_search_result(static_cast<FffMixedSearchResult*>(result->handle));
      break;
    default:
      result = fff_search_directories(instance(), query.c_str(), 0, (choice >> 2) & 1u, 0, 50);
      check(result);
      if (result->success) fff_free_dir_search_result(static_cast<FffDirSearchResult*>(result->handle));
      break;
  }
  fff_free_result(result);
  return 0;
}

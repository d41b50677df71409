#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fff.h"
#include "quillo/platform/file_system.h"

namespace quillo::core {

// The file-index library could not be loaded; what() says where it was looked for.
class FffLibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// libfff_c, loaded at run time: the functions the file index calls, resolved once. The library
// stays loaded for as long as any holder of it lives.
class FffLibrary {
 public:
  // Loads the first of `candidates` that exists and holds every function. Throws FffLibraryError.
  static std::shared_ptr<const FffLibrary> load(platform::FileSystem& files,
                                                const std::vector<std::string>& candidates);

  // Where to look: $QUILLO_FFF_LIBRARY alone when it is set; otherwise beside the executable,
  // in the install's library folders next to its own, and in a build tree's fff folder.
  static std::vector<std::string> candidates(const char* environmentOverride, const std::string& executable);

  const std::string& path() const { return path_; }

  decltype(&fff_create_instance_with) createInstanceWith = nullptr;
  decltype(&fff_wait_for_scan) waitForScan = nullptr;
  decltype(&fff_wait_until_searchable) waitUntilSearchable = nullptr;
  decltype(&fff_saved_index_stood) savedIndexStood = nullptr;
  decltype(&fff_search_mixed) searchMixed = nullptr;
  decltype(&fff_mixed_search_result_get_item) mixedItem = nullptr;
  decltype(&fff_search_directories) searchDirectories = nullptr;
  decltype(&fff_dir_search_result_get_item) directoryItem = nullptr;
  decltype(&fff_glob) glob = nullptr;
  decltype(&fff_glob_each) globEach = nullptr;
  decltype(&fff_search_result_get_item) globItem = nullptr;
  decltype(&fff_free_mixed_search_result) freeMixed = nullptr;
  decltype(&fff_free_dir_search_result) freeDirectories = nullptr;
  decltype(&fff_free_search_result) freeGlob = nullptr;
  decltype(&fff_free_result) freeResult = nullptr;
  decltype(&fff_stop) stop = nullptr;
  decltype(&fff_destroy) destroy = nullptr;

 private:
  std::unique_ptr<platform::SharedLibrary> handle_;
  std::string path_;
};

}  // namespace quillo::core

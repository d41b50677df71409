#include "quillo/core/files/fff_library.h"

#include <array>
#include <filesystem>

#include "quillo/base/program_files.h"

namespace quillo::core {
namespace {

constexpr const char* kFileName = "libfff_c.so";

template <class Function>
void resolve(const platform::SharedLibrary& library, const char* name, Function& function) {
  void* symbol = library.symbol(name);
  if (!symbol) throw FffLibraryError(std::string("The file index library lacks ") + name + ".");
  function = reinterpret_cast<Function>(symbol);
}

}  // namespace

std::vector<std::string> FffLibrary::candidates(const char* environmentOverride,
                                                const std::string& executable) {
  if (environmentOverride && *environmentOverride) return {environmentOverride};
  constexpr std::array<std::string_view, 4> kFolders{".", "../lib/quillo", "../lib", "../fff"};
  std::vector<std::string> paths;
  for (const std::filesystem::path& path : base::pathsBeside(executable, kFileName, kFolders))
    paths.push_back(path.string());
  return paths;
}

std::shared_ptr<const FffLibrary> FffLibrary::load(platform::FileSystem& files,
                                                   const std::vector<std::string>& candidates) {
  std::string tried;
  for (const std::string& path : candidates) {
    if (!files.canAccess(path, platform::Access::exists)) {
      tried += (tried.empty() ? "" : ", ") + path;
      continue;
    }
    auto library = std::make_shared<FffLibrary>();
    try {
      library->handle_ = files.loadLibrary(path);
    } catch (const platform::FileSystemError& error) {
      throw FffLibraryError("The file index library could not be loaded: " + std::string(error.what()));
    }
    library->path_ = path;
    const platform::SharedLibrary& opened = *library->handle_;
    resolve(opened, "fff_create_instance_with", library->createInstanceWith);
    resolve(opened, "fff_wait_for_scan", library->waitForScan);
    resolve(opened, "fff_wait_until_searchable", library->waitUntilSearchable);
    resolve(opened, "fff_saved_index_stood", library->savedIndexStood);
    resolve(opened, "fff_search_mixed", library->searchMixed);
    resolve(opened, "fff_mixed_search_result_get_item", library->mixedItem);
    resolve(opened, "fff_search_directories", library->searchDirectories);
    resolve(opened, "fff_dir_search_result_get_item", library->directoryItem);
    resolve(opened, "fff_glob", library->glob);
    resolve(opened, "fff_glob_each", library->globEach);
    resolve(opened, "fff_search_result_get_item", library->globItem);
    resolve(opened, "fff_free_mixed_search_result", library->freeMixed);
    resolve(opened, "fff_free_dir_search_result", library->freeDirectories);
    resolve(opened, "fff_free_search_result", library->freeGlob);
    resolve(opened, "fff_free_result", library->freeResult);
    resolve(opened, "fff_stop", library->stop);
    resolve(opened, "fff_destroy", library->destroy);
    return library;
  }
  throw FffLibraryError("The file index library " + std::string(kFileName) + " was not found (looked at " +
                        tried + "). Set QUILLO_FFF_LIBRARY to its path.");
}

}  // namespace quillo::core

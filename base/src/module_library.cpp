#include "quillo/base/module_library.h"

#include <dlfcn.h>

#include <array>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "quillo/base/program_files.h"

namespace quillo::base {
namespace {

std::vector<std::filesystem::path> candidatePaths(const std::string& fileName,
                                                  const std::string& buildFolder) {
  constexpr std::array<std::string_view, 2> kFolders{".", "../lib/quillo"};
  std::vector<std::filesystem::path> paths = base::pathsBesideExecutable(fileName, kFolders);
  paths.push_back(std::filesystem::path(buildFolder) / fileName);
  return paths;
}

}  // namespace

void ModuleLibrary::Closer::operator()(void* handle) const {
  dlclose(handle);
}

const ModuleLibrary& ModuleLibrary::load(const std::string& fileName, const std::string& buildFolder,
                                         const std::string& description) {
  static std::mutex mutex;
  static std::map<std::string, ModuleLibrary> loaded;
  const std::lock_guard lock(mutex);
  if (const auto found = loaded.find(fileName); found != loaded.end()) return found->second;
  std::string reasons;
  for (const std::filesystem::path& path : candidatePaths(fileName, buildFolder)) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) continue;
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      ModuleLibrary& library = loaded[fileName];
      library.handle_.reset(handle);
      library.description_ = description;
      return library;
    }
    const char* reason = dlerror();
    reasons += std::string("; ") + (reason ? reason : path.string());
  }
  throw std::runtime_error("The " + description + " " + fileName + " could not be loaded" +
                           (reasons.empty() ? " (not found)" : reasons) + ".");
}

void* ModuleLibrary::symbol(const char* name) const {
  return dlsym(handle_.get(), name);
}

}  // namespace quillo::base

#include "net_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::cli {
namespace {

struct LibraryCloser {
  void operator()(void* handle) const { dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

std::vector<std::filesystem::path> candidatePaths() {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    paths.push_back(executable.parent_path() / net::kLibraryName);
    paths.push_back(executable.parent_path().parent_path() / "lib" / net::kLibraryName);
  }
  paths.push_back(std::filesystem::path(QUILLO_NET_BUILD_DIR) / net::kLibraryName);
  return paths;
}

LibraryHandle openLibrary() {
  std::string reasons;
  for (const std::filesystem::path& path : candidatePaths()) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) continue;
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return LibraryHandle(handle);
    const char* reason = dlerror();
    reasons += std::string("; ") + (reason ? reason : path.string());
  }
  throw std::runtime_error(std::string("The network library ") + net::kLibraryName + " could not be loaded" +
                           (reasons.empty() ? " (not found)" : reasons) + ".");
}

}  // namespace

std::shared_ptr<core::HttpTransport> loadHttpTransport(const net::TransportOptions& options) {
  // Loaded once and closed at exit, never earlier: an exception the library threw points into
  // its code and may outlive every transport.
  static const LibraryHandle library = openLibrary();
  using Entry = const net::LibraryEntry* (*)() noexcept;
  const auto entry = reinterpret_cast<Entry>(dlsym(library.get(), net::kEntrySymbol));
  const net::LibraryEntry* table = entry ? entry() : nullptr;
  if (table == nullptr || table->abiVersion != net::kAbiVersion || table->makeTransport == nullptr) {
    throw std::runtime_error(std::string("The network library ") + net::kLibraryName +
                             " does not match quillo-cli.");
  }
  return table->makeTransport(options);
}

}  // namespace quillo::cli

#include "desktop_library.h"

#include <stdexcept>
#include <string>

#include "quillo/base/module_library.h"

namespace quillo::cli {

const gio::LibraryEntry& desktopLibrary() {
  const base::ModuleLibrary& library =
      base::ModuleLibrary::load(gio::kLibraryName, QUILLO_GIO_BUILD_DIR, "desktop library");
  using Entry = const gio::LibraryEntry* (*)() noexcept;
  const auto entry = reinterpret_cast<Entry>(library.symbol(gio::kEntrySymbol));
  const gio::LibraryEntry* table = entry ? entry() : nullptr;
  if (table == nullptr || table->abiVersion != gio::kAbiVersion || table->readDesktopEntries == nullptr ||
      table->makeWorkspace == nullptr || table->userFolders == nullptr ||
      table->searchFilesInRunningApp == nullptr) {
    throw std::runtime_error(std::string("The desktop library ") + gio::kLibraryName +
                             " does not match quillo-cli.");
  }
  return *table;
}

}  // namespace quillo::cli

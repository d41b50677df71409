#include "quillo/net/loader.h"

#include <stdexcept>
#include <string>

#include "quillo/base/module_library.h"

namespace quillo::net {

std::shared_ptr<core::HttpTransport> loadHttpTransport(const TransportOptions& options) {
  const base::ModuleLibrary& library =
      base::ModuleLibrary::load(kLibraryName, QUILLO_NET_BUILD_DIR, "network library");
  using Entry = const LibraryEntry* (*)() noexcept;
  const auto entry = reinterpret_cast<Entry>(library.symbol(kEntrySymbol));
  const LibraryEntry* table = entry ? entry() : nullptr;
  if (table == nullptr || table->abiVersion != kAbiVersion || table->makeTransport == nullptr) {
    throw std::runtime_error(std::string("The network library ") + kLibraryName +
                             " does not match this program.");
  }
  return table->makeTransport(options);
}

}  // namespace quillo::net

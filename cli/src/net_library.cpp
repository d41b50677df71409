#include "net_library.h"

#include <stdexcept>
#include <string>

#include "module_library.h"

namespace quillo::cli {

std::shared_ptr<core::HttpTransport> loadHttpTransport(const net::TransportOptions& options) {
  const ModuleLibrary& library =
      ModuleLibrary::load(net::kLibraryName, QUILLO_NET_BUILD_DIR, "network library");
  using Entry = const net::LibraryEntry* (*)() noexcept;
  const auto entry = reinterpret_cast<Entry>(library.symbol(net::kEntrySymbol));
  const net::LibraryEntry* table = entry ? entry() : nullptr;
  if (table == nullptr || table->abiVersion != net::kAbiVersion || table->makeTransport == nullptr) {
    throw std::runtime_error(std::string("The network library ") + net::kLibraryName +
                             " does not match quillo-cli.");
  }
  return table->makeTransport(options);
}

}  // namespace quillo::cli

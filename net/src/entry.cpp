#include "quillo/net/curl_transport.h"

extern "C" const quillo::net::LibraryEntry* quillo_net_entry() noexcept {
  static const quillo::net::LibraryEntry entry{quillo::net::kAbiVersion, quillo::net::makeCurlTransport};
  return &entry;
}

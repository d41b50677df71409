#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "quillo/core/service/http_transport.h"

namespace quillo::net {

struct TransportOptions {
  // A PEM file of certificates to trust besides the system's store (a local or test service).
  std::optional<std::string> extraCaFile{};
  // The largest answer body taken; a longer one fails the request with a TransportError of its
  // own message as soon as it passes the limit, without reading the rest.
  std::size_t maxBodyBytes = std::size_t{16} << 20;
};

// The HTTP transport over libcurl: HTTPS only, certificates and host names always verified, no
// redirects followed, no cookies or cache kept between requests. Each request waits on its own
// connection, so requests from several threads run side by side; a stop request wakes the wait
// at once. Throws base::TransportError when the extra certificate file holds no certificate.
std::unique_ptr<core::HttpTransport> makeCurlTransport(const TransportOptions& options = {});

// What a program that loads libquillo-net at run time finds under `kEntrySymbol`.
struct LibraryEntry {
  int abiVersion = 0;
  std::unique_ptr<core::HttpTransport> (*makeTransport)(const TransportOptions& options) = nullptr;
};

inline constexpr int kAbiVersion = 2;
inline constexpr const char* kEntrySymbol = "quillo_net_entry";
inline constexpr const char* kLibraryName = "libquillo-net.so";

}  // namespace quillo::net

extern "C" const quillo::net::LibraryEntry* quillo_net_entry() noexcept;

#pragma once

#include <memory>

#include "quillo/core/service/http_transport.h"
#include "quillo/net/curl_transport.h"

namespace quillo::cli {

// The HTTP transport from libquillo-net.so, loaded only when a command asks a service so that
// quillo-cli's other commands start without libcurl and TLS. Once loaded, the library stays
// until the process ends. Looked for next to the executable, in ../lib beside it, then in the build
// folder. Throws std::runtime_error when it cannot be loaded, base::TransportError when the
// certificate file is unusable.
std::shared_ptr<core::HttpTransport> loadHttpTransport(const net::TransportOptions& options);

}  // namespace quillo::cli

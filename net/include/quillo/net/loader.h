#pragma once

#include <memory>

#include "quillo/core/service/http_transport.h"
#include "quillo/net/curl_transport.h"

namespace quillo::net {

// The HTTP transport from libquillo-net.so, loaded at run time by programs that must not link
// it (quillo-cli, whose other commands start without libcurl and TLS; the launcher's usage
// signals). Once loaded, the library stays
// until the process ends. Looked for next to the executable, in ../lib beside it, then in the build
// folder. Throws std::runtime_error when it cannot be loaded, base::TransportError when the
// certificate file is unusable.
std::shared_ptr<core::HttpTransport> loadHttpTransport(const TransportOptions& options);

}  // namespace quillo::net

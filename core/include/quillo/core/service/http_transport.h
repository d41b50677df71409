#pragma once

#include <algorithm>
#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quillo/base/errors.h"

// The HTTP seam of the service client. Header-only: the implementation over libcurl lives in its
// own shared library (quillo/net), which quillo-cli loads only when a service is configured, so
// that its other commands start without loading the TLS and HTTP stack.
namespace quillo::core {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method = "POST";
  std::string url;
  HttpHeaders headers{};
  std::string body{};
  // The whole exchange, from connecting to the last byte of the answer.
  std::chrono::milliseconds timeout{8000};
};

struct HttpResponse {
  int status = 0;
  // In the order received; names as the server wrote them.
  HttpHeaders headers{};
  std::string body{};

  // The first header named `name`, compared without regard to case.
  std::optional<std::string> header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
      if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(),
                                                  [](char a, char b) { return lower(a) == lower(b); })) {
        return value;
      }
    }
    return std::nullopt;
  }

 private:
  static char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
};

// Sends one request and waits for its whole answer. Implementations never follow redirects (a 3xx
// answer is returned as it is), always verify TLS certificates, and are safe to use from several
// threads at once.
class HttpTransport {
 public:
  virtual ~HttpTransport() = default;

  // Throws base::TransportError when no HTTP answer came (no connection, no secure connection,
  // time-out) and base::Cancelled as soon as `stop` is requested, without waiting for the server.
  virtual HttpResponse send(const HttpRequest& request, std::stop_token stop) = 0;
};

}  // namespace quillo::core

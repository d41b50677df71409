#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quillo::testing {

// One POST the server took.
struct HttpsExchange {
  std::string path;
  std::string body;
  std::string contentType;
};

// A plain HTTPS server on 127.0.0.1 with a certificate made for it: it records every POST and
// answers each with the status the test set (200 until then). Thread-safe.
class HttpsServer {
 public:
  HttpsServer();
  ~HttpsServer();
  HttpsServer(const HttpsServer&) = delete;
  HttpsServer& operator=(const HttpsServer&) = delete;

  // "https://127.0.0.1:PORT".
  std::string baseUrl() const;
  // A PEM file holding the server's certificate, to be trusted by the client.
  const std::filesystem::path& caFile() const;
  void setStatus(int status);
  std::vector<HttpsExchange> requests() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quillo::testing

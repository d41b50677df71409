#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "quillo/service/request_check.h"

namespace quillo::service {

// What an operation answers: a status and a JSON body.
struct Reply {
  int status = 200;
  nlohmann::json body = nlohmann::json::object();
};

// Answers one checked request for `path`; none when the path is not an operation.
using Operations =
    std::function<std::optional<Reply>(const std::string& path, const CheckedRequest& request)>;

struct ServerOptions {
  std::string host = "127.0.0.1";
  // 0: any free port, read back with port().
  int port = 0;
  std::filesystem::path certificateFile{};
  std::filesystem::path privateKeyFile{};
  // Connections served at once; more wait in a queue of `maxQueued`, and beyond that are
  // answered "busy" at once with `retryAfter`.
  std::size_t workers = 4;
  std::size_t maxQueued = 16;
  std::chrono::seconds retryAfter{1};
  // The largest request body read; a larger one is refused with 413 without reading it.
  std::size_t maxBodyBytes = std::size_t{1} << 20;
  // A client that sends nothing for this long is dropped.
  std::chrono::seconds readTimeout{5};
};

// The service's HTTPS server: every request to an operation is checked (RequestChecker) before
// `operations` sees it; refusals, unknown paths, oversized and overload answers carry the
// protocol's error body {"error": code}. An operation that throws is answered 500 "internal"
// and logged, never taken down with the process.
//
// start() runs it on a thread of its own; stop() (or the destructor) ends it and waits.
class Server {
 public:
  Server(ServerOptions options, const RequestChecker& checker, Operations operations);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and starts listening; returns the port. Throws std::runtime_error when it cannot.
  int start();
  // Blocks until stop() is called from another thread (or a signal handler's thread).
  void wait();
  void stop();
  int port() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quillo::service

#include "quillo/service/server.h"

#include <httplib.h>

#include <atomic>
#include <thread>

#include "bounded_task_queue.h"
#include "quillo/base/log.h"

namespace quillo::service {
namespace {

constexpr base::log::Logger kLog("ravo");

void setError(httplib::Response& response, int status, std::string_view code) {
  response.status = status;
  response.set_content(nlohmann::json{{"error", code}}.dump(), "application/json");
}

}  // namespace

struct Server::State {
  State(ServerOptions options, const RequestChecker& checker, Operations operations)
      : options(std::move(options)), checker(checker), operations(std::move(operations)) {}

  ServerOptions options;
  const RequestChecker& checker;
  Operations operations;
  std::unique_ptr<httplib::SSLServer> server{};
  std::thread listener{};
  std::atomic<bool> ended = false;
  int port = 0;

  void handle(const httplib::Request& request, httplib::Response& response) {
    if (BoundedTaskQueue::overloaded()) {
      setError(response, 503, "busy");
      response.set_header("Retry-After", std::to_string(options.retryAfter.count()));
      response.set_header("Connection", "close");
      return;
    }
    IncomingRequest incoming{.path = request.path, .headers = {}, .body = request.body};
    for (const auto& [name, value] : request.headers)
      incoming.headers.emplace_back(name, value);
    auto checked = checker.check(incoming);
    if (const auto* refusal = std::get_if<Refusal>(&checked)) {
      kLog.info("refused {}: {}", request.path, refusal->reason);
      setError(response, refusal->status, refusal->code);
      return;
    }
    try {
      const std::optional<Reply> reply = operations(request.path, std::get<CheckedRequest>(checked));
      if (!reply) return setError(response, 404, "not_found");
      response.status = reply->status;
      response.set_content(reply->body.dump(), "application/json");
    } catch (const std::exception& error) {
      kLog.error("{} failed: {}", request.path, error.what());
      setError(response, 500, "internal");
    }
  }
};

Server::Server(ServerOptions options, const RequestChecker& checker, Operations operations)
    : state_(std::make_unique<State>(std::move(options), checker, std::move(operations))) {
  State& state = *state_;
  state.server = std::make_unique<httplib::SSLServer>(state.options.certificateFile.c_str(),
                                                      state.options.privateKeyFile.c_str());
  if (!state.server->is_valid())
    throw std::runtime_error("The service's certificate or key in '" +
                             state.options.certificateFile.parent_path().string() + "' cannot be used.");
  const std::size_t workers = state.options.workers;
  const std::size_t maxQueued = state.options.maxQueued;
  // httplib takes ownership of the queue it is handed.
  state.server->new_task_queue = [workers, maxQueued] {
    return std::make_unique<BoundedTaskQueue>(workers, maxQueued).release();
  };
  // Answers go out in several writes; waiting for acknowledgements between them costs 40 ms each.
  state.server->set_tcp_nodelay(true);
  state.server->set_payload_max_length(state.options.maxBodyBytes);
  state.server->set_read_timeout(state.options.readTimeout);
  state.server->set_write_timeout(state.options.readTimeout);
  state.server->set_keep_alive_timeout(state.options.readTimeout.count());
  state.server->Post(".*", [&state](const httplib::Request& request, httplib::Response& response) {
    state.handle(request, response);
  });
  // What httplib answers itself (a body over the limit, a path nothing serves, a bad request)
  // still carries the protocol's error body.
  state.server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return;
    switch (response.status) {
      case 413:
        return setError(response, 413, "too_large");
      case 404:
        return setError(response, 404, "not_found");
      case 503:
        return setError(response, 503, "busy");
      default:
        return setError(response, response.status, "invalid_request");
    }
  });
}

Server::~Server() {
  stop();
}

int Server::start() {
  State& state = *state_;
  state.port =
      state.options.port == 0
          ? state.server->bind_to_any_port(state.options.host)
          : (state.server->bind_to_port(state.options.host, state.options.port) ? state.options.port : -1);
  if (state.port <= 0)
    throw std::runtime_error("The service could not listen on " + state.options.host + ":" +
                             std::to_string(state.options.port) + ".");
  state.listener = std::thread([&state] {
    state.server->listen_after_bind();
    state.ended = true;
  });
  // stop() only reaches a server that is already running.
  while (!state.server->is_running() && !state.ended)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (state.ended) throw std::runtime_error("The service stopped listening at once.");
  return state.port;
}

void Server::wait() {
  if (state_->listener.joinable()) state_->listener.join();
}

void Server::stop() {
  if (state_->server->is_running()) state_->server->stop();
  wait();
}

int Server::port() const {
  return state_->port;
}

}  // namespace quillo::service

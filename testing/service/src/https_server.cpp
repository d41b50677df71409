#include "quillo/testing/https_server.h"

#include <httplib.h>

#include <mutex>
#include <stdexcept>
#include <thread>

#include "quillo/service/tls_identity.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::testing {

struct HttpsServer::State {
  TemporaryFolder folder;
  std::filesystem::path caFile;
  std::unique_ptr<httplib::SSLServer> server;
  std::thread listener;
  int port = 0;
  mutable std::mutex mutex;
  int status = 200;
  std::vector<HttpsExchange> requests;
};

HttpsServer::HttpsServer() : state_(std::make_unique<State>()) {
  state_->caFile = state_->folder / "server.pem";
  const std::filesystem::path keyFile = state_->folder / "server-key.pem";
  service::writeIdentity(service::makeSelfSignedIdentity(std::chrono::hours(24)), state_->caFile, keyFile);
  state_->server = std::make_unique<httplib::SSLServer>(state_->caFile.c_str(), keyFile.c_str());
  if (!state_->server->is_valid()) throw std::runtime_error("https server: TLS server");
  state_->server->set_tcp_nodelay(true);
  state_->server->Post(
      ".*", [state = state_.get()](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(state->mutex);
        state->requests.push_back({request.path, request.body, request.get_header_value("Content-Type")});
        response.status = state->status;
      });
  state_->port = state_->server->bind_to_any_port("127.0.0.1");
  if (state_->port <= 0) throw std::runtime_error("https server: bind");
  state_->listener = std::thread([server = state_->server.get()] { server->listen_after_bind(); });
  // stop() only reaches a server that is already running.
  while (!state_->server->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpsServer::~HttpsServer() {
  state_->server->stop();
  state_->listener.join();
}

std::string HttpsServer::baseUrl() const {
  return "https://127.0.0.1:" + std::to_string(state_->port);
}

const std::filesystem::path& HttpsServer::caFile() const {
  return state_->caFile;
}

void HttpsServer::setStatus(int status) {
  const std::lock_guard lock(state_->mutex);
  state_->status = status;
}

std::vector<HttpsExchange> HttpsServer::requests() const {
  const std::lock_guard lock(state_->mutex);
  return state_->requests;
}

}  // namespace quillo::testing

#include "quillo/testing/https_server.h"

#include <httplib.h>
#include <openssl/pem.h>

#include <mutex>
#include <stdexcept>
#include <thread>

#include "quillo/testing/temporary_folder.h"
#include "self_signed.h"

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
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"),
                                                          EVP_PKEY_free);
  if (!key) throw std::runtime_error("https server: TLS key");
  const CertificatePointer certificate = selfSignedCertificate(key.get());
  state_->caFile = state_->folder / "server.pem";
  {
    std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(state_->caFile.c_str(), "w"), BIO_free);
    if (!file || PEM_write_bio_X509(file.get(), certificate.get()) != 1)
      throw std::runtime_error("https server: certificate file");
  }
  state_->server = std::make_unique<httplib::SSLServer>(certificate.get(), key.get());
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

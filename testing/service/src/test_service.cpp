#include "quillo/testing/test_service.h"

#include <httplib.h>
#include <openssl/rand.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "quillo/service/client_keys.h"
#include "quillo/service/memory_nonce_store.h"
#include "quillo/service/request_check.h"
#include "quillo/service/tls_identity.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::testing {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test service: ") + what);
}

}  // namespace

std::optional<std::string> ServiceRequest::header(std::string_view name) const {
  return core::HttpResponse{.status = 0, .headers = headers, .body = {}}.header(name);
}

struct TestService::State {
  TemporaryFolder folder;
  std::filesystem::path caFile;
  core::SigningKeyBytes clientKey{};
  service::MemoryNonceStore nonces;
  std::unique_ptr<service::RequestChecker> checker;
  std::unique_ptr<httplib::SSLServer> server;
  std::thread listener;
  int port = 0;

  mutable std::mutex mutex;
  std::condition_variable stopping;
  bool stopped = false;
  std::map<std::string, ServiceHandler> handlers;
  std::map<std::string, ServiceReply> published;
  std::vector<ServiceRequest> accepted;
  std::vector<std::string> refused;

  void handle(const httplib::Request& request, httplib::Response& response) {
    service::IncomingRequest incoming{.path = request.path, .headers = {}, .body = request.body};
    for (const auto& [name, value] : request.headers)
      incoming.headers.emplace_back(name, value);
    ServiceHandler handler;
    ServiceRequest checked{.path = request.path,
                           .body = request.body,
                           .json = {},
                           .headers = incoming.headers,
                           .credential = {}};
    {
      const std::lock_guard lock(mutex);
      auto outcome = checker->check(incoming);
      if (const auto* refusal = std::get_if<service::Refusal>(&outcome)) {
        refused.push_back(request.path + ": " + refusal->reason);
        response.status = refusal->status;
        response.set_content(nlohmann::json{{"error", refusal->code}}.dump(), "application/json");
        return;
      }
      auto& passed = std::get<service::CheckedRequest>(outcome);
      checked.json = std::move(passed.json);
      checked.credential = std::move(passed.credential);
      accepted.push_back(checked);
      const auto found = handlers.find(request.path);
      if (found != handlers.end()) handler = found->second;
    }
    if (!handler) {
      response.status = 404;
      response.set_content(R"({"error":"not_found"})", "application/json");
      return;
    }
    const ServiceReply reply = handler(checked);
    if (reply.delay.count() > 0) {
      std::unique_lock lock(mutex);
      stopping.wait_for(lock, reply.delay, [this] { return stopped; });
    }
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
      response.set_header(name, value);
    response.set_content(reply.body, "application/json");
  }

  void expectCredentials(std::vector<std::string> credentials) {
    // The client key, as raw bytes the way the shell hands it over.
    checker = std::make_unique<service::RequestChecker>(
        service::ClientKeys({service::publicKeyOf(clientKey)}), std::move(credentials), nonces);
  }
};

TestService::TestService() : state_(std::make_unique<State>()) {
  RAND_bytes(state_->clientKey.data(), static_cast<int>(state_->clientKey.size()));
  state_->expectCredentials({});

  const service::TlsIdentity identity = service::makeSelfSignedIdentity(std::chrono::hours(24));
  state_->caFile = state_->folder / "service.pem";
  const std::filesystem::path keyFile = state_->folder / "service-key.pem";
  service::writeIdentity(identity, state_->caFile, keyFile);

  state_->server = std::make_unique<httplib::SSLServer>(state_->caFile.c_str(), keyFile.c_str());
  check(state_->server->is_valid(), "TLS server");
  // Answers go out in several writes; waiting for acknowledgements between them costs 40 ms each.
  state_->server->set_tcp_nodelay(true);
  state_->server->Get(".*",
                      [state = state_.get()](const httplib::Request& request, httplib::Response& response) {
                        const std::lock_guard lock(state->mutex);
                        const auto found = state->published.find(request.path);
                        response.status = found == state->published.end() ? 404 : found->second.status;
                        if (found != state->published.end())
                          response.set_content(found->second.body, "application/json");
                      });
  state_->server->Post(".*",
                       [state = state_.get()](const httplib::Request& request, httplib::Response& response) {
                         state->handle(request, response);
                       });
  state_->port = state_->server->bind_to_any_port("127.0.0.1");
  check(state_->port > 0, "bind");
  state_->listener = std::thread([server = state_->server.get()] { server->listen_after_bind(); });
  // stop() only reaches a server that is already running.
  while (!state_->server->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestService::~TestService() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->stopped = true;
  }
  state_->stopping.notify_all();
  state_->server->stop();
  state_->listener.join();
}

std::string TestService::baseUrl() const {
  return "https://127.0.0.1:" + std::to_string(state_->port) + "/";
}

const std::filesystem::path& TestService::caFile() const {
  return state_->caFile;
}

const core::SigningKeyBytes& TestService::clientKey() const {
  return state_->clientKey;
}

void TestService::expectCredential(std::string credential) {
  const std::lock_guard lock(state_->mutex);
  state_->expectCredentials(credential.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{std::move(credential)});
}

void TestService::on(const std::string& path, ServiceHandler handler) {
  const std::lock_guard lock(state_->mutex);
  state_->handlers[path] = std::move(handler);
}

void TestService::publish(const std::string& path, const ServiceReply& reply) {
  const std::lock_guard lock(state_->mutex);
  state_->published[path] = reply;
}

void TestService::answer(const std::string& path, const ServiceReply& reply) {
  on(path, [reply](const ServiceRequest&) { return reply; });
}

std::vector<ServiceRequest> TestService::requests() const {
  const std::lock_guard lock(state_->mutex);
  return state_->accepted;
}

std::vector<ServiceRequest> TestService::requests(const std::string& path) const {
  std::vector<ServiceRequest> matching;
  for (ServiceRequest& request : requests()) {
    if (request.path == path) matching.push_back(std::move(request));
  }
  return matching;
}

std::vector<std::string> TestService::refusals() const {
  const std::lock_guard lock(state_->mutex);
  return state_->refused;
}

std::string rankingBody(const std::map<std::string, double>& probabilities, long long inputTokens) {
  return nlohmann::json{{"probabilities", probabilities},
                        {"usage", {{"input_tokens", inputTokens}, {"output_tokens", 1}}}}
      .dump();
}

}  // namespace quillo::testing

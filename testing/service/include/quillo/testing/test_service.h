#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "quillo/core/service/backend_client.h"
#include "quillo/core/service/http_transport.h"

namespace quillo::testing {

// The service's paths that tests answer and count requests on.
inline constexpr auto kCommandsPath = "/v1/rank/commands";
inline constexpr auto kFileTypesPath = "/v1/files/types";
inline constexpr auto kFilesPath = "/v1/rank/files";

// One request the service accepted.
struct ServiceRequest {
  std::string path;
  std::string body;
  nlohmann::json json;
  core::HttpHeaders headers;
  // The bearer credential; empty when the request carried no "Authorization" header.
  std::string credential;

  std::optional<std::string> header(std::string_view name) const;
};

// What the service answers, after waiting `delay` (cut short when the service stops).
struct ServiceReply {
  int status = 200;
  std::string body = "{}";
  core::HttpHeaders headers{};
  std::chrono::milliseconds delay{0};
};

using ServiceHandler = std::function<ServiceReply(const ServiceRequest& request)>;

// A ranking service on 127.0.0.1 over HTTPS with a certificate made for it, checking every
// request with the real service's checker before answering what the test scripted: the Ed25519
// signature against the client key's public half, the body and credential hashes within it,
// the expected credential, a timestamp within five minutes and a nonce never seen before. A
// request that fails a check is refused with the real service's status and error body, and the
// reason is kept. Thread-safe.
class TestService {
 public:
  TestService();
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  // "https://127.0.0.1:PORT/".
  std::string baseUrl() const;
  // A PEM file holding the service's certificate, to be trusted by the client.
  const std::filesystem::path& caFile() const;
  // The client key the service checks signatures against.
  const core::SigningKeyBytes& clientKey() const;
  // The credential requests must carry; empty (the default) means none.
  void expectCredential(std::string credential);

  // Scripts the answer for requests to `path`; unscripted paths answer 404.
  void on(const std::string& path, ServiceHandler handler);
  void answer(const std::string& path, const ServiceReply& reply);
  // Serves a plain document to GET requests for `path`, unsigned, as a web server would (a
  // release feed, say); its delay is not applied.
  void publish(const std::string& path, const ServiceReply& reply);

  std::vector<ServiceRequest> requests() const;
  std::vector<ServiceRequest> requests(const std::string& path) const;
  std::vector<std::string> refusals() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A success body of a ranking answer with the given probabilities and no other member.
std::string rankingBody(const std::map<std::string, double>& probabilities, long long inputTokens = 10);

}  // namespace quillo::testing

#include "quillo/testing/test_service.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "quillo/base/digest.h"
#include "quillo/base/uuid.h"
#include "quillo/testing/temporary_folder.h"
#include "self_signed.h"

namespace quillo::testing {
namespace {

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

constexpr std::int64_t kAllowedSkewMilliseconds = 5 * 60 * 1000;

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test service: ") + what);
}

std::string base64Decoded(const std::string& text) {
  if (text.size() % 4 != 0) return {};
  std::string bytes(text.size() / 4 * 3, '\0');
  const int length =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (length < 0) return {};
  std::size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
    ++padding;
  bytes.resize(static_cast<std::size_t>(length) - padding);
  return bytes;
}

bool signatureMatches(EVP_PKEY* publicKey, const std::string& message, const std::string& signature) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  return EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey) == 1 &&
         EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                          signature.size(), reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

std::int64_t nowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::optional<std::string> ServiceRequest::header(std::string_view name) const {
  return core::HttpResponse{.status = 0, .headers = headers, .body = {}}.header(name);
}

struct TestService::State {
  TemporaryFolder folder;
  std::filesystem::path caFile;
  core::SigningKeyBytes clientKey{};
  KeyPointer clientPublicKey{nullptr, EVP_PKEY_free};
  std::unique_ptr<httplib::SSLServer> server;
  std::thread listener;
  int port = 0;

  mutable std::mutex mutex;
  std::condition_variable stopping;
  bool stopped = false;
  std::string expectedCredential;
  std::map<std::string, ServiceHandler> handlers;
  std::map<std::string, ServiceReply> published;
  std::set<std::string> nonces;
  std::vector<ServiceRequest> accepted;
  std::vector<std::string> refused;

  // Why the request would be refused by the real service, or empty when it passes.
  std::string refusal(const httplib::Request& request, ServiceRequest& checked) {
    const auto header = [&](const char* name) { return request.get_header_value(name); };
    const std::string timestamp = header("x-quillo-timestamp");
    const std::string nonce = header("x-quillo-nonce");
    const std::string signature = base64Decoded(header("x-quillo-signature"));
    const std::string authorization = header("Authorization");
    if (header("Content-Type") != "application/json") return "content type is not JSON";
    if (timestamp.empty() || timestamp.find_first_not_of("0123456789") != std::string::npos)
      return "bad timestamp";
    if (std::llabs(nowMilliseconds() - std::stoll(timestamp)) > kAllowedSkewMilliseconds)
      return "stale timestamp";
    const auto uuid = base::Uuid::parse(nonce);
    if (!uuid || uuid->text() != nonce) return "nonce is not an upper-case UUID";
    if (request.has_header("Authorization")) {
      if (!authorization.starts_with("Bearer ") || authorization.size() == 7)
        return "malformed authorization";
      checked.credential = authorization.substr(7);
    }
    if (checked.credential != expectedCredential) return "wrong credential";
    const std::string toSign = "POST\n" + request.path + "\n" + timestamp + "\n" + nonce + "\n" +
                               base::sha256Hex(request.body) + "\n" + base::sha256Hex(checked.credential);
    if (signature.size() != 64 || !signatureMatches(clientPublicKey.get(), toSign, signature))
      return "bad signature";
    checked.json = nlohmann::json::parse(request.body, nullptr, false);
    if (checked.json.is_discarded()) return "body is not JSON";
    if (!nonces.insert(nonce).second) return "nonce seen before";
    return {};
  }

  void handle(const httplib::Request& request, httplib::Response& response) {
    ServiceRequest checked{
        .path = request.path, .body = request.body, .json = {}, .headers = {}, .credential = {}};
    for (const auto& [name, value] : request.headers)
      checked.headers.emplace_back(name, value);
    ServiceHandler handler;
    {
      const std::lock_guard lock(mutex);
      if (const std::string reason = refusal(request, checked); !reason.empty()) {
        refused.push_back(request.path + ": " + reason);
        response.status = 401;
        response.set_content(R"({"error":"unauthorized"})", "application/json");
        return;
      }
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
};

TestService::TestService() : state_(std::make_unique<State>()) {
  // The client's signing key, as raw bytes the way the shell hands it over.
  RAND_bytes(state_->clientKey.data(), static_cast<int>(state_->clientKey.size()));
  KeyPointer clientKey(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, state_->clientKey.data(),
                                                    state_->clientKey.size()),
                       EVP_PKEY_free);
  std::array<unsigned char, 32> publicBytes{};
  std::size_t publicLength = publicBytes.size();
  check(clientKey && EVP_PKEY_get_raw_public_key(clientKey.get(), publicBytes.data(), &publicLength) == 1,
        "client key");
  state_->clientPublicKey.reset(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, publicBytes.data(), publicLength));

  KeyPointer tlsKey(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), EVP_PKEY_free);
  check(tlsKey != nullptr, "TLS key");
  const CertificatePointer certificate = selfSignedCertificate(tlsKey.get());
  state_->caFile = state_->folder / "service.pem";
  {
    std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(state_->caFile.c_str(), "w"), BIO_free);
    check(file && PEM_write_bio_X509(file.get(), certificate.get()) == 1, "certificate file");
  }

  state_->server = std::make_unique<httplib::SSLServer>(certificate.get(), tlsKey.get());
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
  state_->expectedCredential = std::move(credential);
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

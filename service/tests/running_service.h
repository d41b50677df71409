#pragma once

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>
#include <string>

#include "quillo/base/digest.h"
#include "quillo/base/uuid.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/net/curl_transport.h"
#include "quillo/service/client_keys.h"
#include "quillo/service/nonce_store_address.h"
#include "quillo/service/operations.h"
#include "quillo/service/request_check.h"
#include "quillo/service/server.h"
#include "quillo/service/tls_identity.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::service::testing {

// A fresh random Ed25519 private key.
inline core::SigningKeyBytes randomKey() {
  core::SigningKeyBytes key{};
  RAND_bytes(key.data(), static_cast<int>(key.size()));
  return key;
}

inline std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The parts of a request the client signs, each of which a test may alter before or after
// signing.
struct RequestParts {
  std::string path = "/v1/warmup";
  std::string body = "{}";
  std::string credential{};
  std::string timestamp = std::to_string(nowMs());
  std::string nonce = base::Uuid::random().text();
};

inline std::string signature(const core::SigningKeyBytes& key, const RequestParts& parts) {
  const std::string message = "POST\n" + parts.path + "\n" + parts.timestamp + "\n" + parts.nonce + "\n" +
                              base::sha256Hex(parts.body) + "\n" + base::sha256Hex(parts.credential);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
      EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()), EVP_PKEY_free);
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  std::string bytes(64, '\0');
  std::size_t length = bytes.size();
  EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, pkey.get());
  EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(bytes.data()), &length,
                 reinterpret_cast<const unsigned char*>(message.data()), message.size());
  return base::base64Encoded(bytes);
}

// quillo-ravo's server, in this process, on a free port of 127.0.0.1 with a certificate of its
// own, the real operations and a nonce file in a temporary folder. One client key is
// registered.
class RunningService {
 public:
  // `nonceStore` names the store as quillo-ravo's --nonce-store does; a file of its own when
  // empty. `key` is the registered client key; a fresh one when absent.
  explicit RunningService(ServerOptions options = {}, std::vector<std::string> credentials = {},
                          Operations operations = {}, std::string nonceStore = {},
                          std::optional<core::SigningKeyBytes> key = std::nullopt)
      : key_(key.value_or(randomKey())) {
    writeIdentity(makeSelfSignedIdentity(std::chrono::hours(24)), folder_ / "certificate.pem",
                  folder_ / "certificate-key.pem");
    nonces_ = openNonceStore(nonceStore.empty() ? (folder_ / "nonces").string() : nonceStore);
    checker_ =
        std::make_unique<RequestChecker>(ClientKeys({publicKeyOf(key_)}), std::move(credentials), *nonces_);
    options.certificateFile = folder_ / "certificate.pem";
    options.privateKeyFile = folder_ / "certificate-key.pem";
    if (!operations) {
      operations = [this](const std::string& path, const CheckedRequest& request) {
        return operations_.answer(path, request);
      };
    }
    server_ = std::make_unique<Server>(options, *checker_, std::move(operations));
    server_->start();
    http_ = net::makeCurlTransport({.extraCaFile = (folder_ / "certificate.pem").string()});
  }

  std::string baseUrl() const { return "https://127.0.0.1:" + std::to_string(server_->port()) + "/"; }
  const core::SigningKeyBytes& key() const { return key_; }
  const std::filesystem::path& folder() const { return folder_.path(); }
  std::shared_ptr<core::HttpTransport> http() const { return http_; }

  // Sends the parts with the given signature (the right one unless told otherwise).
  core::HttpResponse send(const RequestParts& parts,
                          std::optional<std::string> signedAs = std::nullopt) const {
    core::HttpRequest request{.method = "POST",
                              .url = "https://127.0.0.1:" + std::to_string(server_->port()) + parts.path,
                              .headers = {{"Content-Type", "application/json"},
                                          {"x-quillo-timestamp", parts.timestamp},
                                          {"x-quillo-nonce", parts.nonce},
                                          {"x-quillo-signature", signedAs.value_or(signature(key_, parts))}},
                              .body = parts.body,
                              .timeout = std::chrono::milliseconds(10000)};
    if (!parts.credential.empty())
      request.headers.emplace_back("Authorization", "Bearer " + parts.credential);
    return http_->send(request, {});
  }

  // The client of the launcher, talking to this service.
  std::shared_ptr<core::BackendClient> client() const {
    return std::make_shared<core::BackendClient>(baseUrl(), key_, std::make_shared<core::FixedCredential>(""),
                                                 http_,
                                                 core::BackendClient::Options{.homeFolder = "/home/user"});
  }

 private:
  quillo::testing::TemporaryFolder folder_;
  core::SigningKeyBytes key_;
  std::unique_ptr<NonceStore> nonces_;
  std::unique_ptr<RequestChecker> checker_;
  WordNet wordNet_{WordNet::kDefaultFolder};
  RavoOperations operations_{Vocabulary::builtIn(), &wordNet_};
  std::unique_ptr<Server> server_;
  std::shared_ptr<core::HttpTransport> http_;
};

}  // namespace quillo::service::testing

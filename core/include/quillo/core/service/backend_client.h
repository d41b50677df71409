#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

#include "quillo/core/commands/command.h"
#include "quillo/core/files/file_entry.h"
#include "quillo/core/files/file_search_interpretation.h"
#include "quillo/core/service/backend_answer.h"
#include "quillo/core/service/backend_error.h"
#include "quillo/core/service/http_transport.h"
#include "quillo/core/service/ravo_questions.h"

namespace quillo::core {

// Supplies the access credential each call sends as "Bearer" and hashes into its signature.
// Implementations must be safe to call from several threads at once.
class CredentialSource {
 public:
  virtual ~CredentialSource() = default;
  // The credential, empty when there is none; may throw, which ends the call with that failure.
  virtual std::string credential(std::stop_token stop) = 0;
};

// A credential fixed when the client is made (a file's content, a test's token).
class FixedCredential final : public CredentialSource {
 public:
  explicit FixedCredential(std::string credential) : credential_(std::move(credential)) {}
  std::string credential(std::stop_token) override { return credential_; }

 private:
  std::string credential_;
};

// The 32 bytes of an Ed25519 private key.
using SigningKeyBytes = std::array<std::uint8_t, 32>;

struct BackendClientOptions {
  // Each operation's limit on the whole exchange.
  std::chrono::milliseconds commandsTimeout{8000};
  std::chrono::milliseconds fileTypesTimeout{12000};
  std::chrono::milliseconds filesTimeout{12000};
  std::chrono::milliseconds warmUpTimeout{4000};
  // The user's home folder (no trailing slash): sent as "~" in the folders of file records.
  std::string homeFolder{};
  // Milliseconds since 1970 for the request timestamp; the system clock when empty.
  std::function<std::int64_t()> now{};
};

// The one object that talks to the ranking service: every call is a compact JSON body sent by
// POST, signed with the client's Ed25519 key, carrying the caller's credential, with the
// operation's time-out and without following redirects. A non-success answer is a BackendError;
// transport failures (base::TransportError, base::Cancelled) and malformed success bodies
// (DecodingError) are passed up unchanged. Nothing is retried.
//
// Thread-safe: calls may run from several threads at once. The client's own state (the signing
// key) is touched by one call at a time and never held across a network wait, so the chunks of
// one ranking are in flight together.
class BackendClient {
 public:
  using Options = BackendClientOptions;

  // Fails with BackendError "not_configured" when `baseUrl` is not an accepted address, and with
  // std::invalid_argument without a transport. Every 32 bytes are an Ed25519 private key.
  BackendClient(std::string_view baseUrl, const SigningKeyBytes& privateKey,
                std::shared_ptr<CredentialSource> credentials, std::shared_ptr<HttpTransport> http,
                Options options = {});
  ~BackendClient();
  BackendClient(const BackendClient&) = delete;
  BackendClient& operator=(const BackendClient&) = delete;

  // An https address without user, password, query or fragment, whose path is empty or "/".
  static bool isAcceptedBaseUrl(std::string_view url);
  // The configured address from the application's information dictionary: none when missing,
  // empty, or still holding an unexpanded build variable ("$(").
  static std::optional<std::string> configuredBaseUrl(const std::optional<std::string>& bundleValue);

  // The probability of each candidate for the query. The files scope is refused with
  // "invalid_request" before anything is sent.
  BackendAnswer commands(std::string_view query, const RavoQuestions::Scope& scope,
                         std::span<const Command> candidates, bool includeWebSearch,
                         std::stop_token stop = {});
  // Which kinds of files the query describes (folders always included).
  BackendAnswer fileTypes(std::string_view query, std::stop_token stop = {});
  // The probability of each file for the query.
  BackendAnswer files(std::string_view query, std::span<const FileEntry> entries, bool classifyIntent,
                      FileSearchInterpretation::RankingMode rankingMode, std::stop_token stop = {});
  // Wakes the service ahead of the user's question; does nothing without a credential and
  // swallows every failure.
  void warmUp(std::stop_token stop = {}) noexcept;

  const std::string& baseUrl() const { return baseUrl_; }

 private:
  struct Key;

  // The JSON text is the exact body that is hashed, signed and sent.
  std::string send(std::string_view path, const std::string& body, const std::string& credential,
                   std::chrono::milliseconds timeout, std::stop_token stop);
  std::string credentialFor(std::stop_token stop);
  HttpRequest signedRequest(std::string_view path, const std::string& body, const std::string& credential,
                            std::chrono::milliseconds timeout);

  std::string baseUrl_;
  std::unique_ptr<Key> key_;
  std::mutex keyMutex_;
  std::shared_ptr<CredentialSource> credentials_;
  std::shared_ptr<HttpTransport> http_;
  Options options_;
};

}  // namespace quillo::core

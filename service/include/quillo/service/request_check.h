#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "quillo/service/client_keys.h"
#include "quillo/service/nonce_store.h"

namespace quillo::service {

// One request as it arrived, before any check.
struct IncomingRequest {
  std::string path;
  // Names as the client wrote them; looked up without regard to case.
  std::vector<std::pair<std::string, std::string>> headers{};
  std::string body{};

  std::optional<std::string> header(std::string_view name) const;
};

// A request that passed every check.
struct CheckedRequest {
  nlohmann::json json;
  // The bearer credential; empty when the request carried none.
  std::string credential;
  std::string nonce;
};

// Why a request was refused: the status and the "error" code it is answered with, and the
// reason kept for the log (never sent, so a caller learns nothing about the keys it guessed).
struct Refusal {
  int status = 401;
  std::string code;
  std::string reason;
  bool operator==(const Refusal&) const = default;
};

struct RequestCheckOptions {
  // How far a request's timestamp may be from the service's clock, either way.
  std::chrono::milliseconds allowedSkew{5 * 60 * 1000};
  // Milliseconds since 1970; the system clock when empty.
  std::function<std::int64_t()> now{};
};

// The checks every request passes before it is answered, in order: a JSON content type, a
// decimal timestamp within the allowed skew, an upper-case UUID nonce, a well-formed bearer
// credential that is one of the accepted ones, an Ed25519 signature by a registered client key
// over "POST", the path, the timestamp, the nonce and the SHA-256 of the body and of the
// credential (one per line), a body that is a JSON object, and last a nonce never seen, which
// the check then records. A refused request changes nothing: its nonce is not recorded.
//
// Thread-safe when its nonce store is; the keys and credentials are fixed when it is made.
class RequestChecker {
 public:
  using Options = RequestCheckOptions;

  // `credentials` are the accepted bearer credentials; an empty list accepts only requests
  // without one.
  RequestChecker(ClientKeys keys, std::vector<std::string> credentials, NonceStore& nonces,
                 Options options = {});

  std::variant<CheckedRequest, Refusal> check(const IncomingRequest& request) const;

  std::int64_t nowMilliseconds() const;
  std::size_t keyCount() const { return keys_.size(); }

 private:
  std::optional<Refusal> refusalBeforeNonce(const IncomingRequest& request, CheckedRequest& checked) const;

  ClientKeys keys_;
  std::vector<std::string> credentials_;
  NonceStore& nonces_;
  Options options_;
};

}  // namespace quillo::service

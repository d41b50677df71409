#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillo::service {

// The store could not answer (a file that cannot be written, a Redis server that is gone). The
// request is then refused as "unavailable": a nonce that cannot be recorded is never accepted.
class NonceStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Remembers the nonces of accepted requests for as long as their timestamps are acceptable, so
// that a replayed request is refused. Implementations are safe to call from several threads.
class NonceStore {
 public:
  virtual ~NonceStore() = default;
  // Records `nonce` until `expiresAtMs` (milliseconds since 1970) and returns true, or returns
  // false when it is already recorded and not yet expired. `nowMs` is the caller's clock.
  // Throws NonceStoreError when the store cannot answer.
  virtual bool remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) = 0;
};

}  // namespace quillo::service

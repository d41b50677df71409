#pragma once

#include <map>
#include <mutex>
#include <unordered_map>

#include "quillo/service/nonce_store.h"

namespace quillo::service {

// Nonces in memory only: for one process whose replay window ends with it (the test service).
// Expired nonces are dropped as new ones arrive. Thread-safe.
class MemoryNonceStore final : public NonceStore {
 public:
  bool remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) override;

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, std::int64_t> expiries_;
  std::multimap<std::int64_t, std::string> byExpiry_;
};

}  // namespace quillo::service

#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "quillo/service/nonce_store.h"

struct redisContext;

namespace quillo::service {

// Nonces in a Redis server, shared by every instance of the service that names it, so that a
// request replayed to any of them is refused. Each nonce is one key set only when absent
// ("SET quillo:nonce:N 1 NX PX ms"), which Redis does atomically, and expires by itself.
// One connection, used by one call at a time; a broken connection is opened again once per
// call before the call fails. Thread-safe.
class RedisNonceStore final : public NonceStore {
 public:
  // Connects at once; throws NonceStoreError when the server cannot be reached.
  RedisNonceStore(std::string host, int port,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(500));
  ~RedisNonceStore() override;
  RedisNonceStore(const RedisNonceStore&) = delete;
  RedisNonceStore& operator=(const RedisNonceStore&) = delete;

  bool remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) override;

 private:
  struct ContextDeleter {
    void operator()(redisContext* context) const;
  };
  void connect();
  std::optional<bool> trySet(std::string_view nonce, std::int64_t lifetimeMs);

  std::string host_;
  int port_;
  std::chrono::milliseconds timeout_;
  std::mutex mutex_;
  std::unique_ptr<redisContext, ContextDeleter> context_;
};

}  // namespace quillo::service

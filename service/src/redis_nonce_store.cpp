#include "quillo/service/redis_nonce_store.h"

#include <hiredis/hiredis.h>

#include <optional>

namespace quillo::service {
namespace {

struct ReplyDeleter {
  void operator()(redisReply* reply) const { freeReplyObject(reply); }
};

}  // namespace

void RedisNonceStore::ContextDeleter::operator()(redisContext* context) const {
  redisFree(context);
}

RedisNonceStore::RedisNonceStore(std::string host, int port, std::chrono::milliseconds timeout)
    : host_(std::move(host)), port_(port), timeout_(timeout) {
  const std::lock_guard lock(mutex_);
  connect();
}

RedisNonceStore::~RedisNonceStore() = default;

void RedisNonceStore::connect() {
  const timeval limit{.tv_sec = static_cast<time_t>(timeout_.count() / 1000),
                      .tv_usec = static_cast<suseconds_t>(timeout_.count() % 1000 * 1000)};
  context_.reset(redisConnectWithTimeout(host_.c_str(), port_, limit));
  if (!context_ || context_->err != 0) {
    const std::string why = context_ ? context_->errstr : "out of memory";
    context_.reset();
    throw NonceStoreError("The nonce store redis://" + host_ + ":" + std::to_string(port_) +
                          " cannot be reached: " + why);
  }
  redisSetTimeout(context_.get(), limit);
}

std::optional<bool> RedisNonceStore::trySet(std::string_view nonce, std::int64_t lifetimeMs) {
  if (!context_) return std::nullopt;
  const std::string key = "quillo:nonce:" + std::string(nonce);
  const std::string lifetime = std::to_string(std::max<std::int64_t>(lifetimeMs, 1));
  std::unique_ptr<redisReply, ReplyDeleter> reply(static_cast<redisReply*>(
      redisCommand(context_.get(), "SET %b 1 NX PX %s", key.data(), key.size(), lifetime.c_str())));
  if (!reply) {
    context_.reset();
    return std::nullopt;
  }
  if (reply->type == REDIS_REPLY_STATUS) return true;
  if (reply->type == REDIS_REPLY_NIL) return false;
  throw NonceStoreError(
      "The nonce store redis://" + host_ + ":" + std::to_string(port_) +
      " refused a nonce: " + std::string(reply->str != nullptr ? reply->str : "unexpected reply"));
}

bool RedisNonceStore::remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) {
  const std::lock_guard lock(mutex_);
  if (const auto stored = trySet(nonce, expiresAtMs - nowMs)) return *stored;
  connect();
  if (const auto stored = trySet(nonce, expiresAtMs - nowMs)) return *stored;
  throw NonceStoreError("The nonce store redis://" + host_ + ":" + std::to_string(port_) +
                        " stopped answering.");
}

}  // namespace quillo::service

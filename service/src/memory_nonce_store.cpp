#include "quillo/service/memory_nonce_store.h"

namespace quillo::service {

bool MemoryNonceStore::remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) {
  const std::lock_guard lock(mutex_);
  while (!byExpiry_.empty() && byExpiry_.begin()->first <= nowMs) {
    expiries_.erase(byExpiry_.begin()->second);
    byExpiry_.erase(byExpiry_.begin());
  }
  const auto [found, inserted] = expiries_.try_emplace(std::string(nonce), expiresAtMs);
  if (!inserted) return false;
  byExpiry_.emplace(expiresAtMs, found->first);
  return true;
}

}  // namespace quillo::service

#include "quillo/core/preferences/memory_defaults_store.h"

namespace quillo::core {

std::optional<DefaultsValue> MemoryDefaultsStore::value(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

void MemoryDefaultsStore::store(std::string_view key, std::optional<DefaultsValue> value) {
  if (value) {
    values_.insert_or_assign(std::string(key), std::move(*value));
  } else if (const auto found = values_.find(key); found != values_.end()) {
    values_.erase(found);
  }
}

}  // namespace quillo::core

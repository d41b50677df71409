#include "quillo/core/preferences/memory_defaults_store.h"

namespace quillo::core {

std::optional<DefaultsValue> MemoryDefaultsStore::value(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool MemoryDefaultsStore::store(std::string_view key, const Transform& transform) {
  const std::optional<DefaultsValue> before = value(key);
  std::optional<DefaultsValue> after = transform(before);
  if (after == before) return false;
  if (after) {
    values_.insert_or_assign(std::string(key), std::move(*after));
  } else {
    values_.erase(values_.find(key));
  }
  return true;
}

}  // namespace quillo::core

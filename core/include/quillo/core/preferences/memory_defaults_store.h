#pragma once

#include "quillo/core/preferences/defaults_store.h"

namespace quillo::core {

// A defaults store held in memory only, for tests and for runs that must leave no trace.
class MemoryDefaultsStore final : public DefaultsStore {
 public:
  MemoryDefaultsStore() = default;
  explicit MemoryDefaultsStore(DefaultsValue::Dictionary values) : values_(std::move(values)) {}

  std::optional<DefaultsValue> value(std::string_view key) const override;
  DefaultsValue::Dictionary all() const override { return values_; }

 protected:
  bool store(std::string_view key, const Transform& transform) override;

 private:
  DefaultsValue::Dictionary values_;
};

}  // namespace quillo::core

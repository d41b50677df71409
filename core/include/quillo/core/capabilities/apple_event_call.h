#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "quillo/core/capabilities/capability.h"

namespace quillo::core {

// One resolved command of a scriptable application: which application, what to send, and the value.
struct AppleEventCall {
  struct Boolean {
    bool value;
    bool operator==(const Boolean&) const = default;
    friend void hashInto(base::Hasher& h, const Boolean& b) { h.add(b.value); }
  };
  struct Integer {
    std::int32_t value;
    bool operator==(const Integer&) const = default;
    friend void hashInto(base::Hasher& h, const Integer& i) { h.add(i.value); }
  };
  struct Enumerator {
    std::string code;  // four characters
    bool operator==(const Enumerator&) const = default;
    friend void hashInto(base::Hasher& h, const Enumerator& e) { h.add(e.code); }
  };
  // Set a boolean property to the opposite of its current value.
  struct Flipped {
    bool operator==(const Flipped&) const = default;
    friend void hashInto(base::Hasher&, const Flipped&) {}
  };
  using Value = std::variant<Boolean, Integer, Enumerator, Flipped>;

  Capability::App app;
  Capability::Operation operation;
  std::optional<Value> value;

  bool operator==(const AppleEventCall&) const = default;
  friend void hashInto(base::Hasher& h, const AppleEventCall& c) { h.addAll(c.app, c.operation, c.value); }
};

}  // namespace quillo::core

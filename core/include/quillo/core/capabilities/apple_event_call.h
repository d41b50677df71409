#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "quillo/core/capabilities/capability.h"
#include "quillo/platform/apple_event.h"

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

  // The event that carries out the call in process `pid`: a property set ("core"/"setd") or the
  // scripting command itself. None for a property without a value, or a flip, which is read first.
  std::optional<platform::AppleEvent> event(int pid) const;
  // The "get" event ("core"/"getd") of the property; none for a command.
  std::optional<platform::AppleEvent> reading(int pid) const;
  AppleEventCall with(Value newValue) const;

  // The boolean a reply carries as its direct parameter, or none.
  static std::optional<bool> boolean(const platform::AppleEvent& reply);
  // The error number and text a reply carries ("errn", "errs"), or none.
  struct ReplyError {
    std::int32_t number = 0;
    std::string text;
    bool operator==(const ReplyError&) const = default;
  };
  static std::optional<ReplyError> failure(const platform::AppleEvent& reply);

  bool operator==(const AppleEventCall&) const = default;
  friend void hashInto(base::Hasher& h, const AppleEventCall& c) { h.addAll(c.app, c.operation, c.value); }
};

}  // namespace quillo::core

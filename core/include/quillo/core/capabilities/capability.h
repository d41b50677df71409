#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quillo/base/hashing.h"
#include "quillo/base/url.h"

namespace quillo::core {

// A command or settable property that a scriptable application publishes in its scripting
// dictionary, simple enough to run without a script.
struct Capability {
  // The application that publishes it.
  struct App {
    std::string name;
    std::string bundleID;
    base::Url url;
    bool operator==(const App&) const = default;
    friend void hashInto(base::Hasher& h, const App& a) { h.addAll(a.name, a.bundleID, a.url); }
  };

  struct Enumerator {
    std::string name;
    std::string code;  // four characters
    bool operator==(const Enumerator&) const = default;
    friend void hashInto(base::Hasher& h, const Enumerator& e) { h.addAll(e.name, e.code); }
  };

  // The kinds of value a capability takes.
  struct Enumeration {
    std::vector<Enumerator> enumerators;
    bool operator==(const Enumeration&) const = default;
    friend void hashInto(base::Hasher& h, const Enumeration& e) { h.add(e.enumerators); }
  };
  struct Boolean {
    bool operator==(const Boolean&) const = default;
    friend void hashInto(base::Hasher&, const Boolean&) {}
  };
  struct Integer {
    bool operator==(const Integer&) const = default;
    friend void hashInto(base::Hasher&, const Integer&) {}
  };
  using Value = std::variant<Enumeration, Boolean, Integer>;

  // What is sent: a scripting command (eight-character class-and-id code, and the four-character
  // keyword of the parameter that carries the value), or setting a property along a path of
  // four-character codes from the application object down.
  struct CommandOperation {
    std::string event;
    std::optional<std::string> parameter;
    bool operator==(const CommandOperation&) const = default;
    friend void hashInto(base::Hasher& h, const CommandOperation& o) { h.addAll(o.event, o.parameter); }
  };
  struct PropertyOperation {
    std::vector<std::string> path;
    bool operator==(const PropertyOperation&) const = default;
    friend void hashInto(base::Hasher& h, const PropertyOperation& o) { h.add(o.path); }
  };
  using Operation = std::variant<CommandOperation, PropertyOperation>;

  App app;
  std::string name;
  std::optional<std::string> container;
  std::string summary;
  Operation operation;
  std::optional<Value> value;

  bool operator==(const Capability&) const = default;
  friend void hashInto(base::Hasher& h, const Capability& c) {
    h.addAll(c.app, c.name, c.container, c.summary, c.operation, c.value);
  }
};

}  // namespace quillo::core

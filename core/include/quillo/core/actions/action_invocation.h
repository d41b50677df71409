#pragma once

#include <optional>
#include <string>
#include <variant>

#include "quillo/base/date.h"
#include "quillo/core/actions/action_definition.h"
#include "quillo/core/capabilities/apple_event_call.h"

namespace quillo::core {

// The cases of ActionInvocation: the concrete thing a parameterised action runs.
namespace invocation {

// When a keep-awake ends: a duration counted from the moment it runs, or a point in time.
struct After {
  long long seconds;
  bool operator==(const After&) const = default;
  friend void hashInto(base::Hasher& h, const After& e) { h.add(e.seconds); }
};
struct At {
  base::Date date;
  bool operator==(const At&) const = default;
  friend void hashInto(base::Hasher& h, const At& e) { h.add(e.date); }
};
using End = std::variant<After, At>;

struct KeepAwake {
  AwakeScope scope;
  End end;
  bool operator==(const KeepAwake&) const = default;
  friend void hashInto(base::Hasher& h, const KeepAwake& i) { h.addAll(i.scope, i.end); }
};

struct SetVolume {
  VolumeChannel channel;
  int percent;  // 0 to 100
  bool operator==(const SetVolume&) const = default;
  friend void hashInto(base::Hasher& h, const SetVolume& i) { h.addAll(i.channel, i.percent); }
};

struct Screenshot {
  ScreenshotMode mode;
  ScreenshotDestination destination;
  int delaySeconds;  // 0 at once, else 1 to 60
  bool operator==(const Screenshot&) const = default;
  friend void hashInto(base::Hasher& h, const Screenshot& i) {
    h.addAll(i.mode, i.destination, i.delaySeconds);
  }
};

struct AppleEvent {
  AppleEventCall call;
  bool operator==(const AppleEvent&) const = default;
  friend void hashInto(base::Hasher& h, const AppleEvent& i) { h.add(i.call); }
};

}  // namespace invocation

using ActionInvocation = std::variant<invocation::KeepAwake, invocation::SetVolume, invocation::Screenshot,
                                      invocation::AppleEvent>;

// One choice offered for a parameterised action and the value the user typed.
struct ResolvedAction {
  // Absent when the typed value cannot be used: the row is shown but cannot run.
  std::optional<ActionInvocation> invocation;
  // The line shown under the command's title for this choice.
  std::string detail;
  // Identifies the choice within its command; part of the row's identity.
  std::string key;

  bool operator==(const ResolvedAction&) const = default;
  friend void hashInto(base::Hasher& h, const ResolvedAction& a) { h.addAll(a.invocation, a.detail, a.key); }
};

}  // namespace quillo::core

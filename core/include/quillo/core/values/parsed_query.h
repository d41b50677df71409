#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quillo/base/hashing.h"

namespace quillo::core {

// A time of day as typed: hour 0-23 without a period, 1-12 with one.
struct ClockTime {
  enum class Period { am, pm };
  int hour = 0;
  int minute = 0;
  std::optional<Period> period;

  bool operator==(const ClockTime&) const = default;
  friend void hashInto(base::Hasher& h, const ClockTime& t) { h.addAll(t.hour, t.minute, t.period); }
};

// The cases of ParsedValue: a value read out of the typed text.
namespace parsed {

struct Duration {  // "35 minutes", "for 1:30"
  long long seconds;
  bool operator==(const Duration&) const = default;
  friend void hashInto(base::Hasher& h, const Duration& v) { h.add(v.seconds); }
};
struct Delay {  // "in 5 seconds"
  long long seconds;
  bool operator==(const Delay&) const = default;
  friend void hashInto(base::Hasher& h, const Delay& v) { h.add(v.seconds); }
};
struct Clock {  // "4:30", "noon"
  ClockTime time;
  bool operator==(const Clock&) const = default;
  friend void hashInto(base::Hasher& h, const Clock& v) { h.add(v.time); }
};
struct Percent {  // "20%"
  long long value;
  bool operator==(const Percent&) const = default;
  friend void hashInto(base::Hasher& h, const Percent& v) { h.add(v.value); }
};
struct Number {  // a bare "20"
  long long value;
  bool operator==(const Number&) const = default;
  friend void hashInto(base::Hasher& h, const Number& v) { h.add(v.value); }
};
struct Toggle {  // "on", "off"
  bool on;
  bool operator==(const Toggle&) const = default;
  friend void hashInto(base::Hasher& h, const Toggle& v) { h.add(v.on); }
};

}  // namespace parsed

using ParsedValue = std::variant<parsed::Duration, parsed::Delay, parsed::Clock, parsed::Percent,
                                 parsed::Number, parsed::Toggle>;

// The values read out of a query, in the order they occur, and the words that were not values,
// as typed, joined by single spaces.
struct ParsedQuery {
  std::vector<ParsedValue> values;
  std::string remainder;

  bool operator==(const ParsedQuery&) const = default;
};

}  // namespace quillo::core

#pragma once

#include <compare>

#include "quillo/base/hashing.h"

namespace quillo::base {

// A wall-clock instant: seconds since 1970-01-01 00:00 UTC, as stored and sent.
struct Date {
  double secondsSince1970 = 0;

  auto operator<=>(const Date&) const = default;
  friend void hashInto(Hasher& h, const Date& d) { h.add(d.secondsSince1970); }
};

}  // namespace quillo::base

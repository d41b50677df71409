#pragma once

#include <chrono>

#include "quillo/base/date.h"

namespace quillo::platform {

// The time, taken from an interface so that tests can set it: a steady time for debounces,
// polls and time-outs, and the wall-clock date for what is shown or stored.
class Clock {
 public:
  virtual ~Clock() = default;

  virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
  virtual base::Date now() const = 0;
};

// The computer's own clocks.
class SystemClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point steadyNow() const override {
    return std::chrono::steady_clock::now();
  }
  base::Date now() const override {
    return base::Date{
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count()};
  }
};

}  // namespace quillo::platform

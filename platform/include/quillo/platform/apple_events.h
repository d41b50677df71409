#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include "quillo/platform/apple_event.h"

namespace quillo::platform {

// An Apple event that could not be sent or got no reply; code() is the system's error number.
class AppleEventError : public std::runtime_error {
 public:
  // The user has not allowed this program to control the target (Automation).
  static constexpr int kNotPermitted = -1743;
  // No reply came within the time-out.
  static constexpr int kTimedOut = -1712;
  // The system has no way to send Apple events.
  static constexpr int kUnsupported = -4;

  AppleEventError(int code, const std::string& description) : std::runtime_error(description), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_;
};

// Sends Apple events to other processes. Implementations are safe for concurrent use.
class AppleEvents {
 public:
  virtual ~AppleEvents() = default;

  // Sends `event` to its target process and waits up to `timeout` for the reply, which may carry
  // the target's own error ("errn", "errs"). Throws AppleEventError when the event was not sent
  // or not answered. Blocks: never call it on the main thread.
  virtual AppleEvent send(const AppleEvent& event, std::chrono::duration<double> timeout) = 0;
};

}  // namespace quillo::platform

#pragma once

#include <stdexcept>
#include <stop_token>

namespace quillo::base {

// A task was asked to stop and did; the caller drops its result rather than showing it.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("The operation was cancelled.") {}
};

// Throws Cancelled when a stop was requested.
inline void throwIfCancelled(const std::stop_token& stop) {
  if (stop.stop_requested()) throw Cancelled();
}

}  // namespace quillo::base

#pragma once

#include <stdexcept>
#include <stop_token>
#include <string>

// Failures shared by every layer. Header-only, so that a library loaded at run time throws the
// same types its caller catches.
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

// The HTTP layer's own failure: no connection, no secure connection, no answer in time. Passed up
// unchanged by the clients above it; what() is the user-facing message.
class TransportError : public std::runtime_error {
 public:
  enum class Kind { cannotConnect, insecure, timedOut, other };

  TransportError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const noexcept { return kind_; }

 private:
  Kind kind_;
};

}  // namespace quillo::base

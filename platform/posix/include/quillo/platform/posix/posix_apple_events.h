#pragma once

#include "quillo/platform/apple_events.h"

namespace quillo::platform::posix {

// Apple events on Linux: there is no Apple event manager to hand them to, so every send fails
// with AppleEventError::kUnsupported and says so. Stateless and safe for concurrent use.
class PosixAppleEvents final : public AppleEvents {
 public:
  AppleEvent send(const AppleEvent& event, std::chrono::duration<double> timeout) override;
};

}  // namespace quillo::platform::posix

#include "quillo/platform/posix/posix_apple_events.h"

namespace quillo::platform::posix {

AppleEvent PosixAppleEvents::send(const AppleEvent& event, std::chrono::duration<double>) {
  throw AppleEventError(AppleEventError::kUnsupported, "Apple events cannot be sent on this system (event " +
                                                           fourCharText(event.eventClass) + "/" +
                                                           fourCharText(event.eventID) + " to process " +
                                                           std::to_string(event.targetProcess) + ").");
}

}  // namespace quillo::platform::posix

#include <gtest/gtest.h>

#include "quillo/platform/posix/posix_apple_events.h"

namespace quillo::platform::posix {
namespace {

TEST(PosixAppleEvents, SendingFailsAndSaysWhy) {
  PosixAppleEvents events;
  AppleEvent event;
  event.eventClass = fourCharCode("core");
  event.eventID = fourCharCode("getd");
  event.targetProcess = 42;
  try {
    events.send(event, std::chrono::seconds(30));
    FAIL() << "an Apple event was reported as sent";
  } catch (const AppleEventError& error) {
    EXPECT_EQ(error.code(), AppleEventError::kUnsupported);
    EXPECT_STREQ(error.what(), "Apple events cannot be sent on this system (event core/getd to process 42).");
  }
}

}  // namespace
}  // namespace quillo::platform::posix

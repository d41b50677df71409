#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "quillo/core/capabilities/apple_event_call.h"
#include "quillo/platform/apple_events.h"
#include "quillo/platform/workspace.h"

namespace quillo::core {

// Why an Apple event call did not happen. Each case has the line the command runner logs.
namespace send_failure {
struct DidNotOpen {
  std::string description;
  bool operator==(const DidNotOpen&) const = default;
};
struct Refused {
  std::int32_t number = 0;
  std::string text;
  bool operator==(const Refused&) const = default;
};
struct NotSent {
  std::string description;
  bool operator==(const NotSent&) const = default;
};
struct NotRead {
  bool operator==(const NotRead&) const = default;
};
struct NoEvent {
  bool operator==(const NoEvent&) const = default;
};
struct NotPermitted {
  bool operator==(const NotPermitted&) const = default;
};
struct NoAnswer {
  bool operator==(const NoAnswer&) const = default;
};
}  // namespace send_failure

struct AppleEventSenderOptions {
  // How long each event waits for its reply.
  std::chrono::duration<double> replyTimeout = std::chrono::seconds(30);
};

// Finds or opens the target application, builds the event and sends it: a flip reads the
// property first and sets the opposite. The workspace and the transport must outlive the
// sender. Sending blocks for up to the reply time-out per event: never call it on the main
// thread. Safe for concurrent use when the workspace and the transport are.
class AppleEventSender {
 public:
  using Failure = std::variant<send_failure::DidNotOpen, send_failure::Refused, send_failure::NotSent,
                               send_failure::NotRead, send_failure::NoEvent, send_failure::NotPermitted,
                               send_failure::NoAnswer>;
  using Options = AppleEventSenderOptions;

  AppleEventSender(platform::Workspace& workspace, platform::AppleEvents& events, Options options = {});

  // None when the call was carried out; makes one attempt.
  std::optional<Failure> send(const AppleEventCall& call) const;

  // The log line for a failure of the command titled `title` ("System: Dark Mode was not sent:
  // ..."); texts an application returns are private.
  static std::string logLine(const Failure& failure, std::string_view title, std::string_view appName);

 private:
  std::variant<int, Failure> process(const AppleEventCall& call) const;
  std::optional<Failure> deliver(const AppleEventCall& call, int pid) const;

  platform::Workspace& workspace_;
  platform::AppleEvents& events_;
  Options options_;
};

}  // namespace quillo::core

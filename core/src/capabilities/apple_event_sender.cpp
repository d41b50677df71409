#include "quillo/core/capabilities/apple_event_sender.h"

#include <fmt/format.h>

#include <stdexcept>

#include "quillo/base/log.h"

namespace quillo::core {
namespace {

using Failure = AppleEventSender::Failure;

Failure sendingFailure(const platform::AppleEventError& error) {
  if (error.code() == platform::AppleEventError::kNotPermitted) return send_failure::NotPermitted{};
  if (error.code() == platform::AppleEventError::kTimedOut) return send_failure::NoAnswer{};
  return send_failure::NotSent{error.what()};
}

}  // namespace

AppleEventSender::AppleEventSender(platform::Workspace& workspace, platform::AppleEvents& events,
                                   Options options)
    : workspace_(workspace), events_(events), options_(options) {}

std::optional<Failure> AppleEventSender::send(const AppleEventCall& call) const {
  auto target = process(call);
  if (auto* failure = std::get_if<Failure>(&target)) return std::move(*failure);
  return deliver(call, std::get<int>(target));
}

// The running copy of the very bundle the call names, or a copy opened in the background.
std::variant<int, Failure> AppleEventSender::process(const AppleEventCall& call) const {
  const std::string path = call.app.url.filePath().value_or(call.app.url.text);
  const std::string wanted = workspace_.resolvedPath(path);
  for (const platform::RunningApplication& app : workspace_.runningApplications()) {
    if (app.bundleID != call.app.bundleID || !app.bundlePath) continue;
    if (workspace_.resolvedPath(*app.bundlePath) == wanted) return app.pid;
  }
  try {
    return workspace_.openInBackground(path);
  } catch (const platform::WorkspaceError& error) {
    return send_failure::DidNotOpen{error.what()};
  }
}

std::optional<Failure> AppleEventSender::deliver(const AppleEventCall& call, int pid) const {
  try {
    AppleEventCall resolved = call;
    if (call.value && std::holds_alternative<AppleEventCall::Flipped>(*call.value)) {
      const auto reading = call.reading(pid);
      if (!reading) return send_failure::NoEvent{};
      const platform::AppleEvent reply = events_.send(*reading, options_.replyTimeout);
      if (auto error = AppleEventCall::failure(reply))
        return send_failure::Refused{error->number, error->text};
      const auto current = AppleEventCall::boolean(reply);
      if (!current) return send_failure::NotRead{};
      resolved = call.with(AppleEventCall::Boolean{!*current});
    }
    const auto event = resolved.event(pid);
    if (!event) return send_failure::NoEvent{};
    const platform::AppleEvent reply = events_.send(*event, options_.replyTimeout);
    if (auto error = AppleEventCall::failure(reply)) return send_failure::Refused{error->number, error->text};
    return std::nullopt;
  } catch (const platform::AppleEventError& error) {
    return sendingFailure(error);
  } catch (const std::invalid_argument&) {
    // A code that is not four bytes cannot be put into an event.
    return send_failure::NoEvent{};
  }
}

std::string AppleEventSender::logLine(const Failure& failure, std::string_view title,
                                      std::string_view appName) {
  using base::log::Private;
  return std::visit(
      [&](const auto& reason) -> std::string {
        using Reason = std::decay_t<decltype(reason)>;
        if constexpr (std::is_same_v<Reason, send_failure::DidNotOpen>) {
          return fmt::format("{}: {} did not open: {}", title, appName, reason.description);
        } else if constexpr (std::is_same_v<Reason, send_failure::Refused>) {
          return fmt::format("{}: the app refused with {}: {}", title, reason.number,
                             Private<std::string>{reason.text});
        } else if constexpr (std::is_same_v<Reason, send_failure::NotSent>) {
          return fmt::format("{} was not sent: {}", title, reason.description);
        } else if constexpr (std::is_same_v<Reason, send_failure::NotRead>) {
          return fmt::format("{} was not switched: the app did not say whether it is on", title);
        } else if constexpr (std::is_same_v<Reason, send_failure::NoEvent>) {
          return fmt::format("{} has no event", title);
        } else if constexpr (std::is_same_v<Reason, send_failure::NotPermitted>) {
          return fmt::format("{}: Quillo may not control {}. Allow it in Privacy & Security, Automation",
                             title, appName);
        } else {
          return fmt::format("{}: {} did not answer in time", title, appName);
        }
      },
      failure);
}

}  // namespace quillo::core

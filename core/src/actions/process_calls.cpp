#include "quillo/core/actions/process_calls.h"

#include "linux_process_calls.h"

namespace quillo::core {

std::string_view rawValue(ActionPlatform platform) {
  return platform == ActionPlatform::macOS ? "macos" : "linux";
}

std::optional<ActionPlatform> actionPlatformFromRaw(std::string_view raw) {
  if (raw == "macos") return ActionPlatform::macOS;
  if (raw == "linux") return ActionPlatform::linuxDesktop;
  return std::nullopt;
}

ProcessCalls ProcessCalls::macOS() {
  return ProcessCalls(std::nullopt);
}

ProcessCalls ProcessCalls::linuxDesktop(LinuxTools tools) {
  return ProcessCalls(std::move(tools));
}

std::optional<ProcessCall> ProcessCalls::processCall(const ActionInvocation& invocation,
                                                     base::Date now) const {
  if (!linux_) return core::processCall(invocation, now);
  const LinuxTools& tools = *linux_;
  return std::visit(
      [&](const auto& value) -> std::optional<ProcessCall> {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, invocation::SetVolume>) return linux_calls::volume(tools, value);
        if constexpr (std::is_same_v<Value, invocation::KeepAwake>)
          return linux_calls::keepAwake(tools, value, now);
        if constexpr (std::is_same_v<Value, invocation::Screenshot>)
          return linux_calls::screenshot(tools, value);
        return std::nullopt;  // Apple events are sent, not run as a process
      },
      invocation);
}

bool ProcessCalls::offers(const ActionDefinition& definition) const {
  if (!linux_) return true;
  // A representative value of each kind: the call exists exactly when the tool does.
  constexpr base::Date kAnyTime{0};
  return std::visit(
      [&](const auto& kind) -> bool {
        using Kind = std::decay_t<decltype(kind)>;
        if constexpr (std::is_same_v<Kind, definition::SetVolume>)
          return processCall(invocation::SetVolume{kind.channel, 50}, kAnyTime).has_value();
        if constexpr (std::is_same_v<Kind, definition::KeepAwake>)
          return processCall(invocation::KeepAwake{kind.scope, invocation::After{3600}}, kAnyTime)
              .has_value();
        if constexpr (std::is_same_v<Kind, definition::Screenshot>)
          return processCall(invocation::Screenshot{kind.mode, kind.destination, 0}, kAnyTime).has_value();
        return false;  // scriptable applications need Apple events
      },
      definition);
}

}  // namespace quillo::core

#pragma once

#include <optional>
#include <string_view>

#include "quillo/base/date.h"
#include "quillo/core/actions/action_definition.h"
#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/actions/process_call.h"

namespace quillo::core {

// The platforms whose tools the actions run.
enum class ActionPlatform { macOS, linuxDesktop };
// "macos", "linux".
std::string_view rawValue(ActionPlatform platform);
std::optional<ActionPlatform> actionPlatformFromRaw(std::string_view raw);

// The child processes that carry out parameterised actions on one platform: the Mac tools of
// processCall(invocation, now), or the tools a Linux desktop has. A plain value, safe to share
// between threads; the command runner is given one.
class ProcessCalls {
 public:
  static ProcessCalls macOS();
  static ProcessCalls linuxDesktop(LinuxTools tools);

  ActionPlatform platform() const { return linux_ ? ActionPlatform::linuxDesktop : ActionPlatform::macOS; }

  // The child for `invocation` at `now`; none when its value is not valid then, when it is sent
  // another way (Apple events), or when this machine lacks the tool. On Linux a keep-awake is a
  // child that holds the session awake until it ends (or is ended), so stopping it is ending it.
  std::optional<ProcessCall> processCall(const ActionInvocation& invocation, base::Date now) const;

  // Whether an action of this definition can run here at all: false when the platform has no
  // counterpart (the alert volume on Linux) or the tool is missing.
  bool offers(const ActionDefinition& definition) const;

 private:
  explicit ProcessCalls(std::optional<LinuxTools> linux) : linux_(std::move(linux)) {}
  std::optional<LinuxTools> linux_;
};

}  // namespace quillo::core

#pragma once

#include <optional>

#include "quillo/base/date.h"
#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/actions/process_call.h"

namespace quillo::core::linux_calls {

std::optional<ProcessCall> volume(const LinuxTools& tools, const invocation::SetVolume& volume);
std::optional<ProcessCall> keepAwake(const LinuxTools& tools, const invocation::KeepAwake& awake,
                                     base::Date now);
std::optional<ProcessCall> screenshot(const LinuxTools& tools, const invocation::Screenshot& shot);

}  // namespace quillo::core::linux_calls

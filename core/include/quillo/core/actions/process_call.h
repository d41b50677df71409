#pragma once

#include <optional>
#include <string>
#include <vector>

#include "quillo/base/date.h"
#include "quillo/base/hashing.h"
#include "quillo/core/actions/action_invocation.h"

namespace quillo::core {

// A system tool to run as a child process, with its arguments passed without a shell.
struct ProcessCall {
  std::string executable;
  std::vector<std::string> arguments;

  bool operator==(const ProcessCall&) const = default;
  friend void hashInto(base::Hasher& h, const ProcessCall& c) { h.addAll(c.executable, c.arguments); }
};

// The child process that carries out `invocation` at `now`; none when its value is not valid
// then (a keep-awake that would end in the past or after a day) or when it is sent another way.
std::optional<ProcessCall> processCall(const ActionInvocation& invocation, base::Date now);

}  // namespace quillo::core

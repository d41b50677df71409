#pragma once

#include <string_view>

#include "quillo/core/actions/action_definition.h"

namespace quillo::app {

// A keep-awake scope as the JSON of plans and invocations names it.
inline std::string_view awakeScopeName(core::AwakeScope scope) {
  return scope == core::AwakeScope::macAndDisplay ? "macAndDisplay" : "mac";
}

}  // namespace quillo::app

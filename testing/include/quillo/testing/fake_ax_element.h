#pragma once

#include <string>

#include "quillo/platform/ax_element.h"

namespace quillo::testing {

// An accessibility element identified by a name: two elements made with the same name are the
// same element, as two handles to one live element are.
platform::AXElement fakeElement(std::string name);

}  // namespace quillo::testing

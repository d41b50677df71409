#include "quillo/platform/ax_element.h"

#include <stdexcept>

namespace quillo::platform {

AXElement::AXElement(std::shared_ptr<const Handle> handle) : handle_(std::move(handle)) {
  if (!handle_) throw std::invalid_argument("an accessibility element needs a handle");
}

}  // namespace quillo::platform

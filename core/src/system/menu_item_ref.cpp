#include "quillo/core/system/menu_item_ref.h"

namespace quillo::core {

bool MenuItemRef::press(platform::Accessibility& accessibility) const {
  return accessibility.performAction(element, "AXPress");
}

}  // namespace quillo::core

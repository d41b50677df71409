#include "quillo/core/system/settings_row_ref.h"

#include "quillo/core/system/ax.h"

namespace quillo::core {

bool SettingsRowRef::isSelected(platform::Accessibility& accessibility) const {
  return AX(accessibility).boolean(container, "AXSelected").value_or(false);
}

bool SettingsRowRef::select(platform::Accessibility& accessibility) const {
  return accessibility.setAttribute(container, "AXSelected", true);
}

std::optional<platform::Rect> SettingsRowRef::visibleFrame(platform::Accessibility& accessibility) const {
  return AX(accessibility).frame(element);
}

}  // namespace quillo::core

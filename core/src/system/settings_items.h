#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/system/ax.h"
#include "quillo/core/system/settings_row_ref.h"

// Reading a settings window into labelled items; private to the settings reader.
namespace quillo::core::settings {

// A window divided at its split group: the sidebar's elements and the pane's. A window without
// a split group is all pane.
struct WindowParts {
  std::vector<platform::AXElement> sidebar;
  std::vector<platform::AXElement> pane;
};

// A labelled element; headings carry no reference.
struct FoundItem {
  std::string label;
  std::optional<SettingsRowRef> ref;
};

WindowParts split(const AX& ax, const platform::AXElement& window);

// The labelled items below `roots` (and the roots themselves), in reading order.
std::vector<FoundItem> collect(const AX& ax, std::span<const platform::AXElement> roots,
                               std::size_t labelLimit);

// The text trimmed of white space and line breaks; absent when that is empty or longer than
// `limit` characters (grapheme clusters, as the user counts them).
std::optional<std::string> cleanLabel(std::string_view text, std::size_t limit);

}  // namespace quillo::core::settings

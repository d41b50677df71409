#include <optional>
#include <string>

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"
#include "settings_items.h"

namespace quillo::core::settings {

std::optional<std::string> cleanLabel(std::string_view text, std::size_t limit) {
  const std::string_view label = base::trimmedWhiteSpace(text);
  if (label.empty()) return std::nullopt;
  if (base::hasMoreCharactersThan(label, limit)) return std::nullopt;
  return std::string(label);
}

}  // namespace quillo::core::settings

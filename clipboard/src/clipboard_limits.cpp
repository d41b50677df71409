#include "quillo/clipboard/clipboard_limits.h"

#include <algorithm>

namespace quillo::clipboard {

ClipboardLimits ClipboardLimits::fromSettings(std::int64_t days, std::int64_t megabytes, bool forgetsTokens) {
  return {
      .retentionDays = std::max<std::int64_t>(days, 1),
      .bytes = std::max<std::int64_t>(megabytes, 16) * kMegabyte,
      .count = kMaximumCount,
      .tokenLifetime = forgetsTokens ? std::optional(kTokenLifetime) : std::nullopt,
  };
}

}  // namespace quillo::clipboard

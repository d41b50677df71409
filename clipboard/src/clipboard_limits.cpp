#include "quillo/clipboard/clipboard_limits.h"

#include <algorithm>
#include <limits>

namespace quillo::clipboard {

namespace {

// A budget larger than any disk saturates rather than wrapping round to a negative one.
std::int64_t megabytesInBytes(std::int64_t megabytes) {
  constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
  return megabytes > most / ClipboardLimits::kMegabyte ? most : megabytes * ClipboardLimits::kMegabyte;
}

}  // namespace

ClipboardLimits ClipboardLimits::fromSettings(std::int64_t days, std::int64_t megabytes, bool forgetsTokens) {
  return {
      .retentionDays = std::max<std::int64_t>(days, 1),
      .bytes = megabytesInBytes(std::max<std::int64_t>(megabytes, 16)),
      .count = kMaximumCount,
      .tokenLifetime = forgetsTokens ? std::optional(kTokenLifetime) : std::nullopt,
  };
}

}  // namespace quillo::clipboard

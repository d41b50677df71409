#pragma once

#include <cstdint>
#include <optional>

namespace quillo::clipboard {

// What the store keeps at most.
struct ClipboardLimits {
  static constexpr std::int64_t kMegabyte = 1'048'576;
  static constexpr std::int64_t kMaximumCount = 10'000;
  static constexpr double kTokenLifetime = 3600;

  // Unpinned entries older than this many days go.
  std::int64_t retentionDays = 30;
  // The byte budget of all entries together.
  std::int64_t bytes = 256 * kMegabyte;
  std::int64_t count = kMaximumCount;
  // Token-looking entries older than this many seconds go; none keeps them like any other.
  std::optional<double> tokenLifetime{};

  // The limits the user's settings ask for: at least one day, at least 16 MB, and an hour for
  // tokens when forgetting them is on.
  static ClipboardLimits fromSettings(std::int64_t days, std::int64_t megabytes, bool forgetsTokens);

  bool operator==(const ClipboardLimits&) const = default;
};

}  // namespace quillo::clipboard

#pragma once

#include <string_view>

namespace quillo::core {

// A closed integer range of typed values, with the message shown when a value falls outside.
struct ValueBounds {
  int lowest;
  int highest;
  std::string_view refusal;

  constexpr bool contains(long long value) const { return value >= lowest && value <= highest; }
};

namespace ActionBounds {
inline constexpr ValueBounds keepAwakeSeconds{60, 86400, "Keep awake from 1 minute to 24 hours"};
inline constexpr ValueBounds volumePercent{0, 100, "The volume goes from 0% to 100%"};
// No delay is asked for by typing none: zero is not in the range.
inline constexpr ValueBounds screenshotDelaySeconds{1, 60, "The delay goes from 1 to 60 seconds"};
}  // namespace ActionBounds

}  // namespace quillo::core

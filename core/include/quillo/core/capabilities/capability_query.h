#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::core {

// The words of a typed query that may name a capability: lower-cased, split at every character
// that is neither a letter nor a digit, without the verbs that introduce a capability ("turn on
// dark mode"), the on/off words and bare numbers, which are values rather than names.
struct CapabilityQuery {
  static constexpr std::array<std::string_view, 6> verbs{"turn", "set", "switch", "toggle", "make", "change"};
  // Small words that join a capability's name to its value ("theme to forest", "volume to 20").
  static constexpr std::array<std::string_view, 5> fillers{"to", "the", "a", "an", "as"};

  std::vector<std::string> words;

  static CapabilityQuery of(std::string_view text);
  static bool isVerb(std::string_view word);
  static bool isFiller(std::string_view word);

  bool operator==(const CapabilityQuery&) const = default;
};

}  // namespace quillo::core

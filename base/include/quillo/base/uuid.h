#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/base/hashing.h"

namespace quillo::base {

// A 128-bit universally unique identifier.
struct Uuid {
  std::array<std::uint8_t, 16> bytes{};

  // The canonical upper-case text, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
  std::string text() const;
  // Reads the canonical form in either case.
  static std::optional<Uuid> parse(std::string_view text);
  // A new version 4 (random) identifier.
  static Uuid random();

  bool operator==(const Uuid&) const = default;
  friend void hashInto(Hasher& h, const Uuid& u) { h.add(u.bytes); }
};

}  // namespace quillo::base

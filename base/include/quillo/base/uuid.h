#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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
  // A fresh random (version 4) identifier from the system's secure random source.
  static Uuid random();
  // Reads the canonical form in either case.
  static std::optional<Uuid> parse(std::string_view text);

  bool operator==(const Uuid&) const = default;
  // Two words rather than sixteen bytes: ids are hashed for every lookup of an entry.
  friend void hashInto(Hasher& h, const Uuid& u) {
    std::uint64_t high;
    std::uint64_t low;
    std::memcpy(&high, u.bytes.data(), sizeof high);
    std::memcpy(&low, u.bytes.data() + sizeof high, sizeof low);
    h.add(high);
    h.add(low);
  }
};

}  // namespace quillo::base

template <>
struct std::hash<quillo::base::Uuid> {
  std::size_t operator()(const quillo::base::Uuid& id) const noexcept { return quillo::base::hashOf(id); }
};

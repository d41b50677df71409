#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace quillo::base {

// The stable texts of a closed set's cases: the name of a case, and the case of an exact name.
template <class Enum, std::size_t N>
class EnumNames {
 public:
  constexpr explicit EnumNames(std::array<std::pair<Enum, std::string_view>, N> table) : table_(table) {}

  constexpr std::string_view name(Enum value) const {
    for (const auto& [candidate, name] : table_) {
      if (candidate == value) return name;
    }
    return {};
  }

  // The case whose name is exactly `name` (case-sensitive).
  constexpr std::optional<Enum> value(std::string_view name) const {
    for (const auto& [value, candidate] : table_) {
      if (candidate == name) return value;
    }
    return std::nullopt;
  }

 private:
  std::array<std::pair<Enum, std::string_view>, N> table_;
};

}  // namespace quillo::base

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quillo::base {

class Hasher;

namespace detail {
// Makes `hashInto` a known name so that argument-dependent lookup finds each record's own.
void hashInto() = delete;
template <class T>
inline constexpr bool isVariant = false;
template <class... Ts>
inline constexpr bool isVariant<std::variant<Ts...>> = true;
template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;
template <class T>
concept HasHashInto = requires(Hasher& hasher, const T& value) {
  hashInto(hasher, value);
};
template <class T>
concept StringLike = std::is_convertible_v<const T&, std::string_view> || std::is_same_v<T, std::u32string>;
}  // namespace detail

// Builds one order-sensitive hash from a sequence of values, for the std::hash specialisations of
// records. A record type takes part by declaring `friend void hashInto(Hasher&, const T&)` (found by
// argument-dependent lookup); variants hash their case and payload, optionals a presence flag and
// then the value, ranges their elements and count, anything else through std::hash.
class Hasher {
 public:
  template <class T>
  Hasher& add(const T& value) {
    if constexpr (detail::HasHashInto<T>) {
      hashInto(*this, value);
    } else if constexpr (detail::isVariant<T>) {
      mix(value.index());
      std::visit([this](const auto& payload) { this->add(payload); }, value);
    } else if constexpr (detail::isOptional<T>) {
      mix(value.has_value() ? 1 : 0);
      if (value) add(*value);
    } else if constexpr (std::ranges::range<T> && !detail::StringLike<T>) {
      std::size_t count = 0;
      for (const auto& element : value) {
        add(element);
        ++count;
      }
      mix(count);
    } else {
      mix(std::hash<T>{}(value));
    }
    return *this;
  }

  template <class... Ts>
  Hasher& addAll(const Ts&... values) {
    (add(values), ...);
    return *this;
  }

  std::size_t value() const noexcept { return state_; }

 private:
  void mix(std::size_t h) noexcept {
    // The 64-bit golden-ratio mix: spreads each value over the whole state.
    state_ ^= h + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2);
  }

  std::size_t state_ = 0;
};

// The hash of one value as Hasher sees it.
template <class T>
std::size_t hashOf(const T& value) {
  return Hasher().add(value).value();
}

}  // namespace quillo::base

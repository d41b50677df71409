#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "quillo/base/date.h"

namespace quillo::core {

// One typed value of the defaults store, kept exactly as stored: a string under a key that
// usually holds a Boolean stays a string.
class DefaultsValue {
 public:
  struct Data {
    std::vector<std::uint8_t> bytes;
    bool operator==(const Data&) const = default;
  };
  using Array = std::vector<DefaultsValue>;
  using Dictionary = std::map<std::string, DefaultsValue, std::less<>>;

  enum class Kind { boolean, integer, real, string, data, date, array, dictionary };

  DefaultsValue(bool value) : storage_(value) {}
  DefaultsValue(std::int64_t value) : storage_(value) {}
  DefaultsValue(int value) : storage_(std::int64_t{value}) {}
  DefaultsValue(double value) : storage_(value) {}
  DefaultsValue(std::string value) : storage_(std::move(value)) {}
  DefaultsValue(const char* value) : storage_(std::string(value)) {}
  DefaultsValue(Data value) : storage_(std::move(value)) {}
  DefaultsValue(base::Date value) : storage_(value) {}
  DefaultsValue(Array value) : storage_(std::move(value)) {}
  DefaultsValue(Dictionary value) : storage_(std::move(value)) {}

  Kind kind() const noexcept { return static_cast<Kind>(storage_.index()); }

  // The value when it is of that kind.
  std::optional<bool> boolean() const { return get<bool>(); }
  std::optional<std::int64_t> integer() const { return get<std::int64_t>(); }
  std::optional<double> real() const { return get<double>(); }
  const std::string* string() const { return std::get_if<std::string>(&storage_); }
  const Data* data() const { return std::get_if<Data>(&storage_); }
  std::optional<base::Date> date() const { return get<base::Date>(); }
  const Array* array() const { return std::get_if<Array>(&storage_); }
  const Dictionary* dictionary() const { return std::get_if<Dictionary>(&storage_); }

  bool operator==(const DefaultsValue&) const = default;

 private:
  template <class T>
  std::optional<T> get() const {
    const T* value = std::get_if<T>(&storage_);
    return value ? std::optional<T>(*value) : std::nullopt;
  }

  // Alternatives in the order of Kind.
  std::variant<bool, std::int64_t, double, std::string, Data, base::Date, Array, Dictionary> storage_;
};

// "boolean", "integer", ... as the command line and messages name the kinds.
std::string_view kindName(DefaultsValue::Kind kind);

}  // namespace quillo::core

#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_value.h"

// Defaults values to and from property-list bytes (libplist), XML or binary.
namespace quillo::core::property_list {

// The bytes are not a property list the store can read; what() says why in one line ("it is nested
// deeper than 64 levels").
class ReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Preferences are small: larger files and deeper nesting are refused before they can exhaust
// memory or the stack.
constexpr std::size_t kMaxBytes = 256 * 1024;
constexpr std::size_t kMaxDepth = 64;

// The dictionary at the root of the bytes, XML or binary. Values of kinds the store does not hold
// are left out. Throws ReadError; no input ends the process.
DefaultsValue::Dictionary readDictionary(std::string_view bytes);

// The binary form.
std::string writeDictionary(const DefaultsValue::Dictionary& values);

}  // namespace quillo::core::property_list

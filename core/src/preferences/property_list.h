#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_value.h"

// Defaults values to and from property-list bytes (libplist), XML or binary.
namespace quillo::core::property_list {

// None when the bytes are not a property list whose root is a dictionary. Values of kinds the
// store does not hold are left out.
std::optional<DefaultsValue::Dictionary> readDictionary(std::string_view bytes);

// The binary form.
std::string writeDictionary(const DefaultsValue::Dictionary& values);

}  // namespace quillo::core::property_list

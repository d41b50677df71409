#pragma once

#include <nlohmann/json.hpp>

#include "quillo/core/preferences/defaults_value.h"

// Defaults values as quillo-cli reads and prints them: JSON, with data as {"data": "<base64>"}
// and dates as {"date": "<ISO 8601>"}.
namespace quillo::cli {

nlohmann::ordered_json toJson(const core::DefaultsValue& value);

// "2026-12-05T14:30:00Z" or with an offset ("+01:00"), fractional seconds allowed; throws
// std::invalid_argument with a message for the user otherwise.
base::Date parseIsoDate(const std::string& text);

// Throws std::invalid_argument with a message for the user when the JSON has no defaults form
// (null, a malformed date or base64).
core::DefaultsValue fromJson(const nlohmann::json& json);

}  // namespace quillo::cli

#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/core/json/decoding_error.h"

// Reading members of decoded JSON objects: a missing or mistyped member is a DecodingError that
// names the member, never a partly filled value.
namespace quillo::core::json {

inline const nlohmann::json& object(const nlohmann::json& json, std::string_view what) {
  if (!json.is_object()) throw DecodingError("Expected " + std::string(what) + " to be a JSON object");
  return json;
}

template <class T>
T decode(const nlohmann::json& json, std::string_view key) {
  try {
    return json.get<T>();
  } catch (const nlohmann::json::exception& error) {
    throw DecodingError("Unexpected value for \"" + std::string(key) + "\": " + error.what());
  }
}

template <class T>
T required(const nlohmann::json& json, std::string_view key) {
  const auto member = json.find(key);
  if (member == json.end()) throw DecodingError("Missing member \"" + std::string(key) + "\"");
  return decode<T>(*member, key);
}

// Absent and null both read as none.
template <class T>
std::optional<T> optional(const nlohmann::json& json, std::string_view key) {
  const auto member = json.find(key);
  if (member == json.end() || member->is_null()) return std::nullopt;
  return decode<T>(*member, key);
}

}  // namespace quillo::core::json

#include "defaults_json.h"

#include <fmt/format.h>
#include <openssl/evp.h>

#include <cmath>
#include <ctime>
#include <stdexcept>

namespace quillo::cli {
namespace {

std::string base64(const std::vector<std::uint8_t>& bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                     static_cast<int>(bytes.size()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::vector<std::uint8_t> fromBase64(const std::string& text) {
  if (text.size() % 4 != 0) throw std::invalid_argument("data must be base64, not '" + text + "'");
  std::vector<std::uint8_t> bytes(text.size() / 4 * 3);
  const int length = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  if (length < 0) throw std::invalid_argument("data must be base64, not '" + text + "'");
  // The block decoder counts padding as zero bytes: take them off again.
  std::size_t padding = 0;
  for (auto it = text.rbegin(); it != text.rend() && *it == '=' && padding < 2; ++it)
    ++padding;
  bytes.resize(static_cast<std::size_t>(length) - padding);
  return bytes;
}

std::string isoDate(base::Date date) {
  const double whole = std::floor(date.secondsSince1970);
  const auto seconds = static_cast<std::time_t>(whole);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  std::string text = fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", utc.tm_year + 1900, utc.tm_mon + 1,
                                 utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  const long milliseconds = std::lround((date.secondsSince1970 - whole) * 1000);
  if (milliseconds > 0 && milliseconds < 1000) text += fmt::format(".{:03}", milliseconds);
  return text + "Z";
}

}  // namespace

base::Date parseIsoDate(const std::string& text) {
  const auto invalid = [&] {
    return std::invalid_argument("a date must be ISO 8601 such as 2026-12-05T14:30:00Z, not '" + text + "'");
  };
  std::tm fields{};
  const char* rest = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &fields);
  if (rest == nullptr) throw invalid();
  double seconds = static_cast<double>(timegm(&fields));
  if (*rest == '.') {
    char* end = nullptr;
    seconds += std::strtod(rest, &end);
    rest = end;
  }
  if (*rest == 'Z' && rest[1] == '\0') return base::Date{seconds};
  int hours = 0;
  int minutes = 0;
  char sign = 0;
  if (std::sscanf(rest, "%c%2d:%2d", &sign, &hours, &minutes) == 3 && (sign == '+' || sign == '-') &&
      std::string_view(rest).size() == 6) {
    const int offset = (hours * 60 + minutes) * 60;
    return base::Date{seconds - (sign == '+' ? offset : -offset)};
  }
  throw invalid();
}

nlohmann::ordered_json toJson(const core::DefaultsValue& value) {
  using Kind = core::DefaultsValue::Kind;
  switch (value.kind()) {
    case Kind::boolean:
      return *value.boolean();
    case Kind::integer:
      return *value.integer();
    case Kind::real:
      return *value.real();
    case Kind::string:
      return *value.string();
    case Kind::data:
      return {{"data", base64(value.data()->bytes)}};
    case Kind::date:
      return {{"date", isoDate(*value.date())}};
    case Kind::array: {
      nlohmann::ordered_json array = nlohmann::ordered_json::array();
      for (const auto& item : *value.array())
        array.push_back(toJson(item));
      return array;
    }
    case Kind::dictionary: {
      nlohmann::ordered_json object = nlohmann::ordered_json::object();
      for (const auto& [key, item] : *value.dictionary())
        object[key] = toJson(item);
      return object;
    }
  }
  return nullptr;
}

core::DefaultsValue fromJson(const nlohmann::json& json) {
  switch (json.type()) {
    case nlohmann::json::value_t::boolean:
      return json.get<bool>();
    case nlohmann::json::value_t::number_integer:
      return json.get<std::int64_t>();
    case nlohmann::json::value_t::number_unsigned:
      if (json.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
        throw std::invalid_argument("whole numbers go up to 9223372036854775807");
      }
      return static_cast<std::int64_t>(json.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float:
      return json.get<double>();
    case nlohmann::json::value_t::string:
      return json.get<std::string>();
    case nlohmann::json::value_t::array: {
      core::DefaultsValue::Array array;
      for (const auto& item : json)
        array.push_back(fromJson(item));
      return array;
    }
    case nlohmann::json::value_t::object: {
      if (json.size() == 1 && json.contains("data") && json["data"].is_string()) {
        return core::DefaultsValue::Data{fromBase64(json["data"].get<std::string>())};
      }
      if (json.size() == 1 && json.contains("date") && json["date"].is_string()) {
        return parseIsoDate(json["date"].get<std::string>());
      }
      core::DefaultsValue::Dictionary dictionary;
      for (const auto& [key, item] : json.items())
        dictionary.emplace(key, fromJson(item));
      return dictionary;
    }
    default:
      throw std::invalid_argument("null and binary values cannot be stored");
  }
}

}  // namespace quillo::cli

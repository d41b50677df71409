#include "quillo/platform/apple_event.h"

#include <stdexcept>

namespace quillo::platform {
namespace {

std::string bigEndian(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>((value >> 16) & 0xFF),
          static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

std::optional<std::uint32_t> fromBigEndian(const AppleEventDescriptor& descriptor) {
  const auto* bytes = std::get_if<AppleEventDescriptor::Bytes>(&descriptor.content);
  if (bytes == nullptr || bytes->data.size() != 4) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : bytes->data)
    value = (value << 8) | static_cast<std::uint8_t>(c);
  return value;
}

AppleEventDescriptor bytes(FourCharCode type, std::string data) {
  return {type, AppleEventDescriptor::Bytes{std::move(data)}};
}

const AppleEventDescriptor* find(const std::vector<AppleEventField>& fields, FourCharCode key) {
  for (const AppleEventField& field : fields) {
    if (field.key == key) return &field.value;
  }
  return nullptr;
}

}  // namespace

FourCharCode fourCharCode(std::string_view code) {
  if (code.size() != 4)
    throw std::invalid_argument("A four-character code needs four bytes: '" + std::string(code) + "'");
  FourCharCode value = 0;
  for (const char c : code)
    value = (value << 8) | static_cast<std::uint8_t>(c);
  return value;
}

std::string fourCharText(FourCharCode code) {
  return bigEndian(code);
}

bool AppleEventDescriptor::List::operator==(const List&) const = default;
bool AppleEventDescriptor::Record::operator==(const Record&) const = default;
bool AppleEventDescriptor::operator==(const AppleEventDescriptor&) const = default;

AppleEventDescriptor AppleEventDescriptor::null() {
  return bytes(fourCharCode("null"), {});
}

AppleEventDescriptor AppleEventDescriptor::boolean(bool value) {
  return bytes(fourCharCode("bool"), std::string(1, value ? '\1' : '\0'));
}

AppleEventDescriptor AppleEventDescriptor::int32(std::int32_t value) {
  return bytes(fourCharCode("long"), bigEndian(static_cast<std::uint32_t>(value)));
}

AppleEventDescriptor AppleEventDescriptor::enumerated(FourCharCode code) {
  return bytes(fourCharCode("enum"), bigEndian(code));
}

AppleEventDescriptor AppleEventDescriptor::typeCode(FourCharCode code) {
  return bytes(fourCharCode("type"), bigEndian(code));
}

AppleEventDescriptor AppleEventDescriptor::text(std::string value) {
  return bytes(fourCharCode("utf8"), std::move(value));
}

AppleEventDescriptor AppleEventDescriptor::record(FourCharCode type, std::vector<AppleEventField> fields) {
  return {type, Record{std::move(fields)}};
}

std::optional<bool> AppleEventDescriptor::asBoolean() const {
  if (type == fourCharCode("true")) return true;
  if (type == fourCharCode("fals")) return false;
  if (type != fourCharCode("bool")) return std::nullopt;
  const auto* data = std::get_if<Bytes>(&content);
  if (data == nullptr || data->data.size() != 1) return std::nullopt;
  return data->data[0] != '\0';
}

std::optional<std::int32_t> AppleEventDescriptor::asInt32() const {
  if (type != fourCharCode("long")) return std::nullopt;
  const auto value = fromBigEndian(*this);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

std::optional<FourCharCode> AppleEventDescriptor::asCode() const {
  if (type != fourCharCode("type") && type != fourCharCode("enum")) return std::nullopt;
  return fromBigEndian(*this);
}

std::optional<std::string> AppleEventDescriptor::asText() const {
  if (type != fourCharCode("utf8") && type != fourCharCode("TEXT")) return std::nullopt;
  const auto* data = std::get_if<Bytes>(&content);
  if (data == nullptr) return std::nullopt;
  return data->data;
}

const AppleEventDescriptor* AppleEventDescriptor::field(FourCharCode key) const {
  const auto* record = std::get_if<Record>(&content);
  return record == nullptr ? nullptr : find(record->fields, key);
}

const AppleEventDescriptor* AppleEvent::parameter(FourCharCode key) const {
  return find(parameters, key);
}

void AppleEvent::setParameter(FourCharCode key, AppleEventDescriptor value) {
  for (AppleEventField& field : parameters) {
    if (field.key == key) {
      field.value = std::move(value);
      return;
    }
  }
  parameters.push_back({key, std::move(value)});
}

}  // namespace quillo::platform

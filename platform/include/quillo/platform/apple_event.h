#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillo::platform {

// A four-character code ("core", "setd", "bool") as a 32-bit value: its bytes, first byte most
// significant.
using FourCharCode = std::uint32_t;

// Throws std::invalid_argument unless `code` is exactly four bytes.
FourCharCode fourCharCode(std::string_view code);
std::string fourCharText(FourCharCode code);

struct AppleEventField;

// A typed value of an Apple event: a type code with its data, a list, or a record of keyed
// values (an object specifier is a record of type "obj "). Numbers are stored in big-endian
// byte order. A plain value.
struct AppleEventDescriptor {
  struct Bytes {
    std::string data;
    bool operator==(const Bytes&) const = default;
  };
  struct List {
    std::vector<AppleEventDescriptor> items;
    bool operator==(const List&) const;
  };
  struct Record {
    std::vector<AppleEventField> fields;
    bool operator==(const Record&) const;
  };

  FourCharCode type = 0;
  std::variant<Bytes, List, Record> content;

  static AppleEventDescriptor null();
  static AppleEventDescriptor boolean(bool value);
  static AppleEventDescriptor int32(std::int32_t value);
  static AppleEventDescriptor enumerated(FourCharCode code);
  static AppleEventDescriptor typeCode(FourCharCode code);
  static AppleEventDescriptor text(std::string value);
  static AppleEventDescriptor record(FourCharCode type, std::vector<AppleEventField> fields);

  // The value of a descriptor of that type; none for any other.
  std::optional<bool> asBoolean() const;        // "bool", or the types "true" and "fals"
  std::optional<std::int32_t> asInt32() const;  // "long"
  std::optional<FourCharCode> asCode() const;   // "type" and "enum"
  std::optional<std::string> asText() const;    // "utf8" and "TEXT"
  // The value under `key` when this is a record.
  const AppleEventDescriptor* field(FourCharCode key) const;

  bool operator==(const AppleEventDescriptor&) const;
};

struct AppleEventField {
  FourCharCode key = 0;
  AppleEventDescriptor value;
  bool operator==(const AppleEventField&) const = default;
};

// An Apple event addressed to a process, or a reply: class and id, the target, and the keyed
// parameters ("----" the direct one).
struct AppleEvent {
  static constexpr std::int16_t kAutoGenerateReturnID = -1;
  static constexpr std::int32_t kAnyTransactionID = 0;

  FourCharCode eventClass = 0;
  FourCharCode eventID = 0;
  int targetProcess = 0;
  std::int16_t returnID = kAutoGenerateReturnID;
  std::int32_t transactionID = kAnyTransactionID;
  std::vector<AppleEventField> parameters;

  const AppleEventDescriptor* parameter(FourCharCode key) const;
  // Replaces a parameter of the same key.
  void setParameter(FourCharCode key, AppleEventDescriptor value);

  bool operator==(const AppleEvent&) const = default;
};

}  // namespace quillo::platform

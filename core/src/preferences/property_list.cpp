#include "property_list.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <stdexcept>

namespace quillo::core::property_list {
namespace {

// Property-list dates count from 2001-01-01 00:00 UTC.
constexpr double kReferenceDateSince1970 = 978307200;

struct PlistDeleter {
  void operator()(plist_t node) const noexcept { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
  void operator()(char* bytes) const noexcept { std::free(bytes); }
};

std::optional<DefaultsValue> fromNode(plist_t node);

DefaultsValue::Dictionary dictionaryFrom(plist_t node) {
  DefaultsValue::Dictionary values;
  plist_dict_iter iterator = nullptr;
  plist_dict_new_iter(node, &iterator);
  while (true) {
    char* key = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, iterator, &key, &item);
    if (key == nullptr) break;
    const std::unique_ptr<char, MallocDeleter> owned(key);
    if (auto value = fromNode(item)) values.insert_or_assign(std::string(key), std::move(*value));
  }
  std::free(iterator);
  return values;
}

std::optional<DefaultsValue> fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return DefaultsValue(value != 0);
    }
    case PLIST_UINT: {
      // Stored as 64 bits; negative integers come back through the two's complement.
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return DefaultsValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return DefaultsValue(value);
    }
    case PLIST_STRING: {
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      return DefaultsValue(std::string(text ? text : "", static_cast<std::size_t>(length)));
    }
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      DefaultsValue::Data data;
      if (bytes != nullptr) data.bytes.assign(bytes, bytes + length);
      return DefaultsValue(std::move(data));
    }
    case PLIST_DATE: {
      int32_t seconds = 0;
      int32_t microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return DefaultsValue(base::Date{kReferenceDateSince1970 + seconds + microseconds / 1e6});
    }
    case PLIST_ARRAY: {
      DefaultsValue::Array values;
      const uint32_t count = plist_array_get_size(node);
      for (uint32_t index = 0; index < count; ++index) {
        if (auto value = fromNode(plist_array_get_item(node, index))) values.push_back(std::move(*value));
      }
      return DefaultsValue(std::move(values));
    }
    case PLIST_DICT:
      return DefaultsValue(dictionaryFrom(node));
    default:
      return std::nullopt;
  }
}

plist_t toNode(const DefaultsValue& value) {
  switch (value.kind()) {
    case DefaultsValue::Kind::boolean:
      return plist_new_bool(*value.boolean() ? 1 : 0);
    case DefaultsValue::Kind::integer:
      return plist_new_uint(static_cast<uint64_t>(*value.integer()));
    case DefaultsValue::Kind::real:
      return plist_new_real(*value.real());
    case DefaultsValue::Kind::string:
      return plist_new_string(value.string()->c_str());
    case DefaultsValue::Kind::data: {
      const auto& bytes = value.data()->bytes;
      return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case DefaultsValue::Kind::date: {
      const double sinceReference = value.date()->secondsSince1970 - kReferenceDateSince1970;
      double whole = std::floor(sinceReference);
      int32_t microseconds = static_cast<int32_t>(std::lround((sinceReference - whole) * 1e6));
      if (microseconds == 1000000) {
        whole += 1;
        microseconds = 0;
      }
      return plist_new_date(static_cast<int32_t>(whole), microseconds);
    }
    case DefaultsValue::Kind::array: {
      plist_t array = plist_new_array();
      for (const DefaultsValue& item : *value.array())
        plist_array_append_item(array, toNode(item));
      return array;
    }
    case DefaultsValue::Kind::dictionary: {
      plist_t dictionary = plist_new_dict();
      for (const auto& [key, item] : *value.dictionary())
        plist_dict_set_item(dictionary, key.c_str(), toNode(item));
      return dictionary;
    }
  }
  throw std::logic_error("unknown defaults value kind");
}

}  // namespace

std::optional<DefaultsValue::Dictionary> readDictionary(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  const PlistNode owned(root);
  if (root == nullptr || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
  return dictionaryFrom(root);
}

std::string writeDictionary(const DefaultsValue::Dictionary& values) {
  const PlistNode root(toNode(DefaultsValue(values)));
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &bytes, &length);
  const std::unique_ptr<char, MallocDeleter> owned(bytes);
  if (bytes == nullptr) throw std::runtime_error("the preferences could not be encoded");
  return std::string(bytes, length);
}

}  // namespace quillo::core::property_list

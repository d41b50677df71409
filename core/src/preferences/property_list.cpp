#include "property_list.h"

#include <fmt/format.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "quillo/base/unicode.h"
#include "quillo/core/preferences/defaults_store.h"

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

// Dictionary keys are read from libplist's XML form of the same tree, never through the key
// accessor of the parsed file: that accessor asserts, ending the process, when a key of a binary
// file holds a NUL byte. The XML writer cuts such a key at the NUL instead, and keys parsed from XML
// text cannot hold one. Values are read from the parsed file itself, which keeps them exact.
class Reader {
 public:
  DefaultsValue::Dictionary dictionary(plist_t node, plist_t mirror, std::size_t depth) {
    enter(depth);
    DefaultsValue::Dictionary values;
    const Iterator nodes(node);
    const Iterator mirrors(mirror);
    while (true) {
      plist_t item = nullptr;
      plist_dict_next_item(node, nodes.get(), nullptr, &item);
      char* key = nullptr;
      plist_t mirrored = nullptr;
      plist_dict_next_item(mirror, mirrors.get(), &key, &mirrored);
      const std::unique_ptr<char, MallocDeleter> owned(key);
      if ((item == nullptr) != (key == nullptr)) throw ReadError("its dictionary keys cannot be read");
      if (item == nullptr) break;
      // What the store could not write would not read back the same after the next change.
      if (!isStorableText(key)) throw ReadError("a dictionary key is not valid text");
      auto value = this->value(item, mirrored, depth + 1);
      if (!value) continue;
      if (!values.emplace(std::string(key), std::move(*value)).second)
        throw ReadError(fmt::format("a dictionary holds the key \"{}\" twice", base::sanitizedUtf8(key)));
    }
    return values;
  }

 private:
  struct Iterator {
    explicit Iterator(plist_t node) { plist_dict_new_iter(node, &iterator); }
    ~Iterator() { std::free(iterator); }
    Iterator(const Iterator&) = delete;
    Iterator& operator=(const Iterator&) = delete;
    plist_dict_iter get() const { return iterator; }
    plist_dict_iter iterator = nullptr;
  };

  static void enter(std::size_t depth) {
    if (depth > kMaxDepth) throw ReadError(fmt::format("it is nested deeper than {} levels", kMaxDepth));
  }

  std::optional<DefaultsValue> value(plist_t node, plist_t mirror, std::size_t depth) {
    if (plist_get_node_type(node) != plist_get_node_type(mirror))
      throw ReadError("its XML form differs from the file");
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
        std::string string(text ? text : "", static_cast<std::size_t>(length));
        if (!isStorableText(string)) throw ReadError("a string is not valid text");
        return DefaultsValue(std::move(string));
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
        enter(depth);
        DefaultsValue::Array values;
        const uint32_t count = plist_array_get_size(node);
        if (plist_array_get_size(mirror) != count) throw ReadError("its XML form differs from the file");
        for (uint32_t index = 0; index < count; ++index) {
          auto value =
              this->value(plist_array_get_item(node, index), plist_array_get_item(mirror, index), depth + 1);
          if (value) values.push_back(std::move(*value));
        }
        return DefaultsValue(std::move(values));
      }
      case PLIST_DICT:
        return DefaultsValue(dictionary(node, mirror, depth));
      default:
        return std::nullopt;
    }
  }
};

// Whether no container in the tree lies deeper than `limit`, found without recursion: libplist's
// own writers recurse, and a file of many thousand nested arrays would overflow the stack.
bool withinDepth(plist_t root, std::size_t limit) {
  std::vector<std::pair<plist_t, std::size_t>> pending{{root, 0}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    const plist_type type = plist_get_node_type(node);
    if (type != PLIST_ARRAY && type != PLIST_DICT) continue;
    if (depth > limit) return false;
    if (type == PLIST_ARRAY) {
      const uint32_t count = plist_array_get_size(node);
      for (uint32_t index = 0; index < count; ++index)
        pending.emplace_back(plist_array_get_item(node, index), depth + 1);
      continue;
    }
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    while (true) {
      plist_t item = nullptr;
      plist_dict_next_item(node, iterator, nullptr, &item);
      if (item == nullptr) break;
      pending.emplace_back(item, depth + 1);
    }
    std::free(iterator);
  }
  return true;
}

PlistNode xmlMirror(plist_t root) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root, &xml, &length);
  const std::unique_ptr<char, MallocDeleter> owned(xml);
  if (xml == nullptr) throw ReadError("it has no XML form");
  plist_t mirror = nullptr;
  plist_from_xml(xml, length, &mirror);
  if (mirror == nullptr) throw ReadError("its XML form cannot be read back");
  return PlistNode(mirror);
}

// Owned nodes all the way, so that a value that cannot be written leaks nothing built before it.
PlistNode toNode(const DefaultsValue& value) {
  switch (value.kind()) {
    case DefaultsValue::Kind::boolean:
      return PlistNode(plist_new_bool(*value.boolean() ? 1 : 0));
    case DefaultsValue::Kind::integer:
      return PlistNode(plist_new_uint(static_cast<uint64_t>(*value.integer())));
    case DefaultsValue::Kind::real:
      return PlistNode(plist_new_real(*value.real()));
    case DefaultsValue::Kind::string:
      return PlistNode(plist_new_string(value.string()->c_str()));
    case DefaultsValue::Kind::data: {
      const auto& bytes = value.data()->bytes;
      return PlistNode(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case DefaultsValue::Kind::date: {
      const double sinceReference = value.date()->secondsSince1970 - kReferenceDateSince1970;
      double whole = std::floor(sinceReference);
      int32_t microseconds = static_cast<int32_t>(std::lround((sinceReference - whole) * 1e6));
      if (microseconds == 1000000) {
        whole += 1;
        microseconds = 0;
      }
      // The format counts whole seconds in 32 bits: about 68 years either side of 2001.
      if (!(whole >= std::numeric_limits<int32_t>::min() && whole <= std::numeric_limits<int32_t>::max()))
        throw std::range_error("a date more than 68 years from 2001 cannot be written");
      return PlistNode(plist_new_date(static_cast<int32_t>(whole), microseconds));
    }
    case DefaultsValue::Kind::array: {
      PlistNode array(plist_new_array());
      for (const DefaultsValue& item : *value.array())
        plist_array_append_item(array.get(), toNode(item).release());
      return array;
    }
    case DefaultsValue::Kind::dictionary: {
      PlistNode dictionary(plist_new_dict());
      for (const auto& [key, item] : *value.dictionary())
        plist_dict_set_item(dictionary.get(), key.c_str(), toNode(item).release());
      return dictionary;
    }
  }
  throw std::logic_error("unknown defaults value kind");
}

}  // namespace

DefaultsValue::Dictionary readDictionary(std::string_view bytes) {
  if (bytes.empty()) throw ReadError("it is empty");
  if (bytes.size() > kMaxBytes) throw ReadError(fmt::format("it is larger than {} bytes", kMaxBytes));
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  const PlistNode owned(root);
  if (root == nullptr) throw ReadError("it is not a property list");
  if (plist_get_node_type(root) != PLIST_DICT) throw ReadError("its root is not a dictionary");
  if (!withinDepth(root, kMaxDepth))
    throw ReadError(fmt::format("it is nested deeper than {} levels", kMaxDepth));
  const PlistNode mirror = xmlMirror(root);
  if (plist_get_node_type(mirror.get()) != PLIST_DICT) throw ReadError("its XML form differs from the file");
  return Reader().dictionary(root, mirror.get(), 0);
}

std::string writeDictionary(const DefaultsValue::Dictionary& values) {
  const PlistNode root = toNode(DefaultsValue(values));
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &bytes, &length);
  const std::unique_ptr<char, MallocDeleter> owned(bytes);
  if (bytes == nullptr) throw std::runtime_error("the preferences could not be encoded");
  return std::string(bytes, length);
}

}  // namespace quillo::core::property_list

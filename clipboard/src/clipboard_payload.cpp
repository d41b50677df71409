#include "quillo/clipboard/clipboard_payload.h"

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

#include "quillo/base/unicode.h"

namespace quillo::clipboard {
namespace {

struct PlistDeleter {
  void operator()(plist_t node) const noexcept { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
  void operator()(char* bytes) const noexcept { std::free(bytes); }
};

std::optional<std::string> utf8Text(const Bytes& data) {
  std::string text(data.begin(), data.end());
  if (!base::isValidUtf8(text)) return std::nullopt;
  return text;
}

const ClipboardPayload::Representation* firstOf(const ClipboardPayload::Item& item,
                                                std::initializer_list<std::string_view> types) {
  for (const auto& representation : item) {
    for (std::string_view type : types) {
      if (representation.type == type) return &representation;
    }
  }
  return nullptr;
}

plist_t childOf(plist_t dictionary, const char* key, plist_type type) {
  if (plist_get_node_type(dictionary) != PLIST_DICT) throw PayloadDecodingError();
  plist_t child = plist_dict_get_item(dictionary, key);
  if (child == nullptr || plist_get_node_type(child) != type) throw PayloadDecodingError();
  return child;
}

}  // namespace

PayloadDecodingError::PayloadDecodingError()
    : std::runtime_error("This clipboard item could not be read. It may be damaged.") {}

std::int64_t ClipboardPayload::byteCount() const {
  std::int64_t total = 0;
  for (const Item& item : items) {
    for (const Representation& representation : item) {
      total += static_cast<std::int64_t>(representation.data.size());
    }
  }
  return total;
}

std::optional<std::string> ClipboardPayload::plainText() const {
  if (items.empty()) return std::nullopt;
  std::string joined;
  for (std::size_t index = 0; index < items.size(); ++index) {
    const Representation* text = firstOf(items[index], {kPlainTextType, kURLType});
    if (text == nullptr) return std::nullopt;
    auto decoded = utf8Text(text->data);
    if (!decoded) return std::nullopt;
    if (index > 0) joined += '\n';
    joined += *decoded;
  }
  return joined;
}

std::optional<std::vector<base::Url>> ClipboardPayload::fileURLs() const {
  if (items.empty()) return std::nullopt;
  std::vector<base::Url> urls;
  for (const Item& item : items) {
    const Representation* file = firstOf(item, {kFileURLType});
    if (file == nullptr) return std::nullopt;
    auto decoded = utf8Text(file->data);
    if (!decoded || !base::startsWithIgnoringAsciiCase(*decoded, "file:")) return std::nullopt;
    base::Url url{std::move(*decoded)};
    if (!url.filePath()) return std::nullopt;
    urls.push_back(std::move(url));
  }
  return urls;
}

ClipboardPayload ClipboardPayload::text(std::string_view text) {
  return {{{{std::string(kPlainTextType), Bytes(text.begin(), text.end())}}}};
}

ClipboardPayload ClipboardPayload::files(const std::vector<base::Url>& urls) {
  ClipboardPayload payload;
  for (const base::Url& url : urls) {
    payload.items.push_back({{std::string(kFileURLType), Bytes(url.text.begin(), url.text.end())}});
  }
  return payload;
}

Bytes ClipboardPayload::propertyList() const {
  const PlistNode root(plist_new_dict());
  plist_t array = plist_new_array();
  for (const Item& item : items) {
    plist_t representations = plist_new_array();
    for (const Representation& representation : item) {
      plist_t dictionary = plist_new_dict();
      plist_dict_set_item(dictionary, "type", plist_new_string(representation.type.c_str()));
      plist_dict_set_item(dictionary, "data",
                          plist_new_data(reinterpret_cast<const char*>(representation.data.data()),
                                         representation.data.size()));
      plist_array_append_item(representations, dictionary);
    }
    plist_array_append_item(array, representations);
  }
  plist_dict_set_item(root.get(), "items", array);
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &bytes, &length);
  const std::unique_ptr<char, MallocDeleter> owned(bytes);
  if (bytes == nullptr) throw std::runtime_error("the payload could not be encoded");
  return Bytes(bytes, bytes + length);
}

ClipboardPayload ClipboardPayload::fromPropertyList(const Bytes& bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) throw PayloadDecodingError();
  plist_t parsed = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &parsed);
  const PlistNode root(parsed);
  if (!root) throw PayloadDecodingError();
  plist_t array = childOf(root.get(), "items", PLIST_ARRAY);
  ClipboardPayload payload;
  const uint32_t itemCount = plist_array_get_size(array);
  payload.items.reserve(itemCount);
  for (uint32_t itemIndex = 0; itemIndex < itemCount; ++itemIndex) {
    plist_t representations = plist_array_get_item(array, itemIndex);
    if (plist_get_node_type(representations) != PLIST_ARRAY) throw PayloadDecodingError();
    Item item;
    const uint32_t count = plist_array_get_size(representations);
    for (uint32_t index = 0; index < count; ++index) {
      plist_t dictionary = plist_array_get_item(representations, index);
      uint64_t typeLength = 0;
      const char* type = plist_get_string_ptr(childOf(dictionary, "type", PLIST_STRING), &typeLength);
      uint64_t dataLength = 0;
      const char* data = plist_get_data_ptr(childOf(dictionary, "data", PLIST_DATA), &dataLength);
      Representation representation{std::string(type ? type : "", typeLength), {}};
      if (data != nullptr) representation.data.assign(data, data + dataLength);
      item.push_back(std::move(representation));
    }
    payload.items.push_back(std::move(item));
  }
  return payload;
}

}  // namespace quillo::clipboard

#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/base/url.h"

namespace quillo::clipboard {

using Bytes = std::vector<std::uint8_t>;

// Stored payload bytes that are not the property list a payload is saved as; what() is the message.
class PayloadDecodingError : public std::runtime_error {
 public:
  PayloadDecodingError();
};

// Everything one copy put on the pasteboard: items, each with its representations in the order
// the pasteboard offered them.
struct ClipboardPayload {
  struct Representation {
    // A uniform type identifier, "public.utf8-plain-text".
    std::string type{};
    Bytes data{};
    bool operator==(const Representation&) const = default;
  };
  using Item = std::vector<Representation>;

  std::vector<Item> items{};

  // The data lengths of all representations together.
  std::int64_t byteCount() const;
  // Each item's first plain-text or URL representation, joined by line feeds; none when an item
  // has neither, when one is not UTF-8, or when there are no items.
  std::optional<std::string> plainText() const;
  // Each item's first file-URL representation; none unless every item yields a file URL.
  std::optional<std::vector<base::Url>> fileURLs() const;

  static ClipboardPayload text(std::string_view text);
  static ClipboardPayload files(const std::vector<base::Url>& urls);

  // The stored form: a binary property list {"items": [[{"type", "data"}, ...], ...]}.
  Bytes propertyList() const;
  // Throws PayloadDecodingError.
  static ClipboardPayload fromPropertyList(const Bytes& bytes);

  bool operator==(const ClipboardPayload&) const = default;
};

inline constexpr std::string_view kPlainTextType = "public.utf8-plain-text";
inline constexpr std::string_view kURLType = "public.url";
inline constexpr std::string_view kFileURLType = "public.file-url";

}  // namespace quillo::clipboard

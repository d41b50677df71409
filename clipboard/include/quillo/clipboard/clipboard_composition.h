#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "quillo/clipboard/clipboard_kind.h"
#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard {

// Joins several selected entries into one payload for paste or copy, in the selection's order.
// Stateless.
class ClipboardComposition {
 public:
  enum class TextStyle : std::uint8_t {
    original,  // payloads as stored
    plain,     // plain text only
    clean,     // plain text after Markdown cleaning
  };

  struct Item {
    ClipboardKind kind = ClipboardKind::text;
    ClipboardPayload payload{};
  };

  // Files alone (style original only) and images alone (original only, else mixedSelection)
  // keep every item of every payload. Anything else becomes one plain-text payload: each entry's
  // text (a file's paths joined with the separator), joined with the separator; a single entry
  // in style original stays as it is. Throws ClipboardError missingItem (no items),
  // invalidContent (a file without file URLs, text without plain text, an image among text) or
  // mixedSelection.
  static ClipboardPayload combine(const std::vector<Item>& items, std::string_view separator,
                                  TextStyle style);

  // Whether images are mixed with other kinds: the window then leaves the images out.
  static bool leavesOutImages(std::span<const ClipboardKind> kinds);
};

std::string_view rawValue(ClipboardComposition::TextStyle style);
std::optional<ClipboardComposition::TextStyle> textStyleFromRaw(std::string_view raw);

}  // namespace quillo::clipboard

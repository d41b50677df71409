#pragma once

#include <string>
#include <string_view>

#include "quillo/clipboard/clipboard_kind.h"

// How a copy is described before it is saved: its title and its kind.
namespace quillo::clipboard {

inline constexpr std::size_t kMaximumCopiedTitleLength = 160;

// The entry text of copied text: without white space and line breaks at either end.
std::string copiedText(std::string_view text);

// The first non-empty line (lines end at any line break, Unicode's included), cut to its first
// 160 characters; "" for text without one.
std::string titleOf(std::string_view text);

// `link` for text that is one http or https address and nothing else, else `text`.
ClipboardKind kindOfText(std::string_view text);

// Whether a type identifier names image data the history keeps as an image.
bool isImageType(std::string_view type);

}  // namespace quillo::clipboard

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillo::clipboard {

// What a history entry is. The raw values are what the database stores.
enum class ClipboardKind : std::uint8_t { text, link, image, file };

inline constexpr std::array<ClipboardKind, 4> kAllClipboardKinds{ClipboardKind::text, ClipboardKind::link,
                                                                 ClipboardKind::image, ClipboardKind::file};

std::string_view rawValue(ClipboardKind kind);
// None for a text that names no kind (the database treats that as a damaged row).
std::optional<ClipboardKind> clipboardKindFromRaw(std::string_view raw);

}  // namespace quillo::clipboard

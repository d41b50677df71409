#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "quillo/clipboard/clipboard_entry.h"

namespace quillo::clipboard {

// The history window's filter switcher. Raw values are the visible labels.
enum class ClipboardFilter : std::uint8_t { all, text, image, file, link, pinned };

inline constexpr std::array<ClipboardFilter, 6> kAllClipboardFilters{
    ClipboardFilter::all,  ClipboardFilter::text, ClipboardFilter::image,
    ClipboardFilter::file, ClipboardFilter::link, ClipboardFilter::pinned};

// "All", "Text", "Images", "Files", "Links", "Pinned".
std::string_view rawValue(ClipboardFilter filter);
std::optional<ClipboardFilter> clipboardFilterFromRaw(std::string_view raw);

// Whether the filter shows the entry. "Text" does not show links.
bool includes(ClipboardFilter filter, const ClipboardEntry& entry);

}  // namespace quillo::clipboard

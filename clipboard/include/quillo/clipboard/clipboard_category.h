#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quillo::clipboard {

// What the tagger recognised a copy as. The raw values equal the case names and are stored as the
// values of category tags.
enum class ClipboardCategory : std::uint8_t {
  text,
  link,
  image,
  file,
  web,
  email,
  phone,
  address,
  date,
  number,
  color,
  path,
  token,
  json,
  code,
  markdown,
  folder,
  application,
  pdf,
  video,
  audio,
  archive,
  document,
};

inline constexpr std::size_t kClipboardCategoryCount = 23;
extern const std::array<ClipboardCategory, kClipboardCategoryCount> kAllClipboardCategories;

std::string_view rawValue(ClipboardCategory category);
std::optional<ClipboardCategory> clipboardCategoryFromRaw(std::string_view raw);

// The words that find entries of this category in a search ("photo" finds images).
std::span<const std::string_view> searchWords(ClipboardCategory category);

}  // namespace quillo::clipboard

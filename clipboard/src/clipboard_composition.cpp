#include "quillo/clipboard/clipboard_composition.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "quillo/base/enum_names.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_text_cleaner.h"

namespace quillo::clipboard {
namespace {

using TextStyle = ClipboardComposition::TextStyle;
using Item = ClipboardComposition::Item;

constexpr base::EnumNames<TextStyle, 3> kStyleNames{{{
    {TextStyle::original, "original"},
    {TextStyle::plain, "plain"},
    {TextStyle::clean, "clean"},
}}};

[[noreturn]] void fail(ClipboardError::Code code) {
  throw ClipboardError(code);
}

bool allOfKind(const std::vector<Item>& items, ClipboardKind kind) {
  return std::all_of(items.begin(), items.end(), [&](const Item& item) { return item.kind == kind; });
}

ClipboardPayload allItems(const std::vector<Item>& items) {
  ClipboardPayload combined;
  for (const auto& item : items) {
    combined.items.insert(combined.items.end(), item.payload.items.begin(), item.payload.items.end());
  }
  return combined;
}

std::string filePaths(const ClipboardPayload& payload, std::string_view separator) {
  const auto urls = payload.fileURLs();
  if (!urls) fail(ClipboardError::Code::invalidContent);
  std::vector<std::string> paths;
  for (const auto& url : *urls) {
    auto path = url.filePath();
    if (!path) fail(ClipboardError::Code::invalidContent);
    paths.push_back(std::move(*path));
  }
  return fmt::format("{}", fmt::join(paths, separator));
}

std::string textOf(const Item& item, std::string_view separator, TextStyle style) {
  switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::link: {
      auto text = item.payload.plainText();
      if (!text) fail(ClipboardError::Code::invalidContent);
      return style == TextStyle::clean ? ClipboardTextCleaner::clean(*text) : std::move(*text);
    }
    case ClipboardKind::file:
      return filePaths(item.payload, separator);
    case ClipboardKind::image:
      // Images have no text; the window leaves them out of a mixed selection beforehand.
      break;
  }
  fail(ClipboardError::Code::invalidContent);
}

}  // namespace

ClipboardPayload ClipboardComposition::combine(const std::vector<Item>& items, std::string_view separator,
                                               TextStyle style) {
  if (items.empty()) fail(ClipboardError::Code::missingItem);
  if (allOfKind(items, ClipboardKind::file)) {
    if (style != TextStyle::original) fail(ClipboardError::Code::invalidContent);
    for (const auto& item : items) {
      if (!item.payload.fileURLs()) fail(ClipboardError::Code::invalidContent);
    }
    return allItems(items);
  }
  if (allOfKind(items, ClipboardKind::image)) {
    if (style != TextStyle::original) fail(ClipboardError::Code::mixedSelection);
    return allItems(items);
  }
  if (items.size() == 1 && style == TextStyle::original) return items.front().payload;
  std::vector<std::string> texts;
  texts.reserve(items.size());
  for (const auto& item : items)
    texts.push_back(textOf(item, separator, style));
  return ClipboardPayload::text(fmt::format("{}", fmt::join(texts, separator)));
}

bool ClipboardComposition::leavesOutImages(std::span<const ClipboardKind> kinds) {
  const bool images = std::find(kinds.begin(), kinds.end(), ClipboardKind::image) != kinds.end();
  const bool others = std::any_of(kinds.begin(), kinds.end(),
                                  [](ClipboardKind kind) { return kind != ClipboardKind::image; });
  return images && others;
}

std::string_view rawValue(ClipboardComposition::TextStyle style) {
  return kStyleNames.name(style);
}

std::optional<ClipboardComposition::TextStyle> textStyleFromRaw(std::string_view raw) {
  return kStyleNames.value(raw);
}

}  // namespace quillo::clipboard

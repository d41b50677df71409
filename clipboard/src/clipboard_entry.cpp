#include "quillo/clipboard/clipboard_entry.h"

#include <algorithm>

#include "quillo/clipboard/clipboard_category.h"

namespace quillo::clipboard {

ClipboardEntry::ClipboardEntry(Fields fields)
    : id(fields.id),
      title(std::move(fields.title)),
      text(std::move(fields.text)),
      kind(fields.kind),
      sourceAppID(std::move(fields.sourceAppID)),
      sourceAppName(std::move(fields.sourceAppName)),
      copiedAt(fields.copiedAt),
      isPinned(fields.isPinned),
      pinnedAt(fields.isPinned ? std::optional(fields.pinnedAt.value_or(fields.copiedAt)) : std::nullopt),
      byteCount(fields.byteCount),
      tags(std::move(fields.tags)),
      imageText(std::move(fields.imageText)) {}

bool ClipboardEntry::isToken() const {
  return std::find(tags.begin(), tags.end(), tokenTag()) != tags.end();
}

ClipboardTag tokenTag() {
  return {ClipboardTag::Key::category, std::string(rawValue(ClipboardCategory::token))};
}

}  // namespace quillo::clipboard

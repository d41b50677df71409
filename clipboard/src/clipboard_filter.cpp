#include "quillo/clipboard/clipboard_filter.h"

#include "quillo/base/enum_names.h"

namespace quillo::clipboard {
namespace {

constexpr base::EnumNames<ClipboardFilter, 6> kLabels{{{
    {ClipboardFilter::all, "All"},
    {ClipboardFilter::text, "Text"},
    {ClipboardFilter::image, "Images"},
    {ClipboardFilter::file, "Files"},
    {ClipboardFilter::link, "Links"},
    {ClipboardFilter::pinned, "Pinned"},
}}};

}  // namespace

std::string_view rawValue(ClipboardFilter filter) {
  return kLabels.name(filter);
}

std::optional<ClipboardFilter> clipboardFilterFromRaw(std::string_view raw) {
  return kLabels.value(raw);
}

bool includes(ClipboardFilter filter, const ClipboardEntry& entry) {
  switch (filter) {
    case ClipboardFilter::all:
      return true;
    case ClipboardFilter::text:
      return entry.kind == ClipboardKind::text;
    case ClipboardFilter::image:
      return entry.kind == ClipboardKind::image;
    case ClipboardFilter::file:
      return entry.kind == ClipboardKind::file;
    case ClipboardFilter::link:
      return entry.kind == ClipboardKind::link;
    case ClipboardFilter::pinned:
      return entry.isPinned;
  }
  return false;
}

}  // namespace quillo::clipboard

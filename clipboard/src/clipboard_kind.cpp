#include "quillo/clipboard/clipboard_kind.h"

#include "quillo/base/enum_names.h"

namespace quillo::clipboard {
namespace {

constexpr base::EnumNames<ClipboardKind, 4> kNames{{{
    {ClipboardKind::text, "text"},
    {ClipboardKind::link, "link"},
    {ClipboardKind::image, "image"},
    {ClipboardKind::file, "file"},
}}};

}  // namespace

std::string_view rawValue(ClipboardKind kind) {
  return kNames.name(kind);
}

std::optional<ClipboardKind> clipboardKindFromRaw(std::string_view raw) {
  return kNames.value(raw);
}

}  // namespace quillo::clipboard

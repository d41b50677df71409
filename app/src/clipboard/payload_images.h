#pragma once

#include "quillo/clipboard/clipboard_payload.h"
#include "quillo/clipboard/copied_text.h"

namespace quillo::app {

// The first image representation of any item; none when the payload holds no image.
inline const clipboard::ClipboardPayload::Representation* firstImage(
    const clipboard::ClipboardPayload& payload) {
  for (const auto& item : payload.items)
    for (const auto& representation : item)
      if (clipboard::isImageType(representation.type)) return &representation;
  return nullptr;
}

}  // namespace quillo::app

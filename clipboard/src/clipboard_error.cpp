#include "quillo/clipboard/clipboard_error.h"

namespace quillo::clipboard {

std::string_view message(ClipboardError::Code code) {
  using Code = ClipboardError::Code;
  switch (code) {
    case Code::storage:
      return "Clipboard history could not be saved. Check available disk space.";
    case Code::full:
      return "Clipboard storage is full. Remove items, unpin entries, or increase the storage limit.";
    case Code::missingItem:
      return "This item is no longer in clipboard history.";
    case Code::mixedSelection:
      return "Select text, images, or files as separate groups to paste together.";
    case Code::invalidContent:
      return "This clipboard format cannot be used for this action.";
    case Code::unavailableFile:
      return "An original file moved, was deleted, or is unavailable. Copy it again from Finder.";
    case Code::multipleItemsDrag:
      return "Use Copy or Paste to transfer multiple items together.";
  }
  return {};
}

// Every message is a literal, so the view's data is null-terminated.
const char* ClipboardError::what() const noexcept {
  return message(code_).data();
}

}  // namespace quillo::clipboard

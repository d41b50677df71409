#include "quillo/app/clipboard/clipboard_actions.h"

namespace quillo::app {

std::string title(ClipboardAction action, std::size_t count, bool pinned) {
  const bool several = count >= 2;
  const std::string items = std::to_string(count) + " Items";
  switch (action) {
    case ClipboardAction::paste:
      return several ? "Paste " + items : "Paste";
    case ClipboardAction::pastePlain:
      return "Paste as Plain Text";
    case ClipboardAction::copy:
      return several ? "Copy " + items : "Copy";
    case ClipboardAction::preview:
      return "Quick Look";
    case ClipboardAction::pin:
      return pinned ? "Unpin" : "Pin";
    case ClipboardAction::rename:
      return "Rename";
    case ClipboardAction::cleanText:
      return "Clean Text";
    case ClipboardAction::saveImage:
      return several ? "Save Images…" : "Save Image…";
    case ClipboardAction::selectAll:
      return "Select All Results";
    case ClipboardAction::remove:
      return several ? "Delete " + items + " from History" : "Delete from History";
  }
  return {};
}

}  // namespace quillo::app

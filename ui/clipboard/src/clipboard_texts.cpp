#include "clipboard_texts.h"

#include <cmath>

namespace quillo::ui {

std::string ageText(base::Date copiedAt, base::Date now) {
  const double seconds = std::max(0.0, now.secondsSince1970 - copiedAt.secondsSince1970);
  const auto whole = [](double value) { return std::to_string(static_cast<long long>(std::floor(value))); };
  if (seconds < 60) return "Now";
  if (seconds < 3600) return whole(seconds / 60) + " min";
  if (seconds < 86400) return whole(seconds / 3600) + " h";
  if (seconds < 7 * 86400) return whole(seconds / 86400) + " d";
  return whole(seconds / (7 * 86400)) + " w";
}

std::string listedTitle(const clipboard::ClipboardEntry& entry) {
  if (!entry.isToken()) return entry.title;
  // A title the user gave appears nowhere in the secret; one made from the text does.
  const std::string_view text = entry.text;
  if (!entry.title.empty() && text.find(entry.title) == std::string_view::npos) return entry.title;
  return "Secret text ••••••••";
}

std::string kindText(const clipboard::ClipboardEntry& entry) {
  if (entry.isToken()) return "Secret";
  switch (entry.kind) {
    case clipboard::ClipboardKind::text:
      return "Text";
    case clipboard::ClipboardKind::link:
      return "Link";
    case clipboard::ClipboardKind::image:
      return "Image";
    case clipboard::ClipboardKind::file:
      return "File";
  }
  return "Text";
}

std::string kindIconName(const clipboard::ClipboardEntry& entry) {
  if (entry.isToken()) return "dialog-password";
  switch (entry.kind) {
    case clipboard::ClipboardKind::text:
      return "text-x-generic";
    case clipboard::ClipboardKind::link:
      return "text-html";
    case clipboard::ClipboardKind::image:
      return "image-x-generic";
    case clipboard::ClipboardKind::file:
      return "folder-documents";
  }
  return "text-x-generic";
}

std::string sourceText(const clipboard::ClipboardEntry& entry) {
  return entry.sourceAppName.empty() ? entry.sourceAppID : entry.sourceAppName;
}

std::string actionKeyText(app::ClipboardAction action, app::ClipboardModel::Mode mode) {
  using app::ClipboardAction;
  const bool pastes = mode == app::ClipboardModel::Mode::paste;
  switch (action) {
    case ClipboardAction::paste:
      return pastes ? "Enter" : "";
    case ClipboardAction::pastePlain:
      return "Ctrl+Shift+V";
    case ClipboardAction::copy:
      return pastes ? "Ctrl+C" : "Enter";
    case ClipboardAction::preview:
      return "Ctrl+Y";
    case ClipboardAction::pin:
      return "Ctrl+P";
    case ClipboardAction::rename:
      return "F2";
    case ClipboardAction::cleanText:
      return "Ctrl+T";
    case ClipboardAction::saveImage:
      return "Ctrl+S";
    case ClipboardAction::selectAll:
      return "Ctrl+Shift+A";
    case ClipboardAction::remove:
      return "Ctrl+Backspace";
  }
  return "";
}

}  // namespace quillo::ui

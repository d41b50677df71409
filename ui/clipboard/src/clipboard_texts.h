#pragma once

#include <string>

#include "quillo/app/clipboard/clipboard_actions.h"
#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/base/date.h"
#include "quillo/clipboard/clipboard_entry.h"

namespace quillo::ui {

// How long ago an entry was copied, in a few characters: "Now", "5 min", "3 h", "2 d", "7 w".
std::string ageText(base::Date copiedAt, base::Date now);

// The title a list may show: the entry's own title, except that text looking like a key or a
// token is never shown (its title is the secret itself unless the user renamed it).
std::string listedTitle(const clipboard::ClipboardEntry& entry);

// The kind of entry in one word: "Text", "Link", "Image", "File", "Secret".
std::string kindText(const clipboard::ClipboardEntry& entry);

// The freedesktop icon name for the kind of entry.
std::string kindIconName(const clipboard::ClipboardEntry& entry);

// Where the copy came from: the application's name, else its id, else nothing.
std::string sourceText(const clipboard::ClipboardEntry& entry);

// The key that performs an action in the history, as the panel shows it (Ctrl plays Command in
// Quillo's windows); empty for an action without one.
std::string actionKeyText(app::ClipboardAction action, app::ClipboardModel::Mode mode);

}  // namespace quillo::ui

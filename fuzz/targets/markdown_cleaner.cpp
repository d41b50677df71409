#include "../fuzz_target.h"
#include "quillo/clipboard/clipboard_text_cleaner.h"

// Copied text cleaned of its Markdown.
QUILLO_FUZZ_TARGET(markdown_cleaner) {
  quillo::clipboard::ClipboardTextCleaner::clean(quillo::fuzz::text(data, size));
  return 0;
}

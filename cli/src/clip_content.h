#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/base/uuid.h"
#include "quillo/clipboard/clipboard_composition.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/platform/system.h"

// What `quillo-cli clip` does with copied content: tags for what it records, the cleaned text of
// an entry, the text in images and entries joined as the history window joins them.
namespace quillo::cli {

// Where a copy came from, as `clip add` is told it.
struct CopySource {
  std::string appName;
  std::string appID;
  std::optional<base::Url> page;
};

// The tagger for the user's locale (its phone region).
clipboard::ClipboardTagger taggerFor(const platform::System& system);

// Prints the entry's plain text after Markdown cleaning. Throws ClipboardError (missingItem,
// invalidContent for an entry without plain text).
void printCleaned(const clipboard::ClipboardStore& store, const base::Uuid& id, std::FILE* output);

// Prints the text recognised in the image files, in order, read in the user's language and
// English. Throws ClipboardError invalidContent for a file that is no image, std::runtime_error
// for one that cannot be read.
void printRecognised(std::span<const std::string> files, const platform::System& system, std::FILE* output);

// Recognises the text in an image entry's images and stores it as the entry's image text,
// printing it on `output` when one is given. Throws ClipboardError (missingItem, invalidContent
// for an entry that is no image), TextRecognitionUnavailable.
void storeRecognised(clipboard::ClipboardStore& store, const base::Uuid& id,
                     const clipboard::ClipboardLimits& limits, const platform::System& system,
                     std::FILE* output);

// Prints the entries combined as plain text, in the order given; images mixed with other kinds
// are left out with a note on `errors`. Throws ClipboardError as the composition does.
void printJoined(const clipboard::ClipboardStore& store, std::span<const base::Uuid> ids,
                 std::string_view separator, clipboard::ClipboardComposition::TextStyle style,
                 std::FILE* output, std::FILE* errors);

}  // namespace quillo::cli

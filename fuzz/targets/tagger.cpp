#include "../fuzz_target.h"
#include "quillo/base/url.h"
#include "quillo/clipboard/clipboard_tagger.h"

// Copied text and the page and files it came with, tagged as a new copy is. Input: the text, then
// after the first NUL byte the source page's address.
QUILLO_FUZZ_TARGET(tagger) {
  using namespace quillo;
  static const clipboard::ClipboardTagger tagger;
  const std::string_view input = fuzz::text(data, size);
  const std::string_view text = input.substr(0, input.find('\0'));
  const std::optional<base::Url> source =
      text.size() < input.size() ? std::optional(base::Url{std::string(input.substr(text.size() + 1))})
                                 : std::nullopt;
  tagger.tags(clipboard::ClipboardKind::text, text, "Fuzzed", "dev.example.fuzzed", source, {});
  if (source)
    tagger.tags(clipboard::ClipboardKind::file, "", "Fuzzed", "dev.example.fuzzed", std::nullopt, {*source});
  return 0;
}

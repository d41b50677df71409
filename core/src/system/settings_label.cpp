#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <memory>

#include "quillo/base/unicode.h"
#include "settings_items.h"

namespace quillo::core::settings {
namespace {

std::size_t graphemeCount(std::string_view text, std::size_t stopAfter) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return static_cast<std::size_t>(unicode.countChar32());
  breaks->setText(unicode);
  std::size_t count = 0;
  for (int32_t at = breaks->next(); at != icu::BreakIterator::DONE && count <= stopAfter; at = breaks->next())
    ++count;
  return count;
}

}  // namespace

std::optional<std::string> cleanLabel(std::string_view text, std::size_t limit) {
  const std::string_view label = base::trimmedWhiteSpace(text);
  if (label.empty()) return std::nullopt;
  // Bytes bound characters from above, so short labels need no counting.
  if (label.size() > limit && graphemeCount(label, limit) > limit) return std::nullopt;
  return std::string(label);
}

}  // namespace quillo::core::settings

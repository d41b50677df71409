#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <memory>

#include "settings_items.h"

namespace quillo::core::settings {
namespace {

// The scalar starting at `offset`, and where the next one starts; ill-formed bytes read as U+FFFD.
UChar32 scalarAt(std::string_view text, int32_t& offset) {
  UChar32 scalar = 0;
  U8_NEXT(text.data(), offset, static_cast<int32_t>(text.size()), scalar);
  return scalar < 0 ? 0xFFFD : scalar;
}

std::string_view trimmed(std::string_view text) {
  int32_t begin = 0;
  while (begin < static_cast<int32_t>(text.size())) {
    int32_t next = begin;
    if (!u_isUWhiteSpace(scalarAt(text, next))) break;
    begin = next;
  }
  // Scan forwards, remembering where the last run of white space began.
  int32_t end = begin;
  for (int32_t offset = begin; offset < static_cast<int32_t>(text.size());) {
    const bool space = u_isUWhiteSpace(scalarAt(text, offset));
    if (!space) end = offset;
  }
  return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

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
  const std::string_view label = trimmed(text);
  if (label.empty()) return std::nullopt;
  // Bytes bound characters from above, so short labels need no counting.
  if (label.size() > limit && graphemeCount(label, limit) > limit) return std::nullopt;
  return std::string(label);
}

}  // namespace quillo::core::settings

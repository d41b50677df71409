#include "quillo/base/characters.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>

#include "quillo/base/unicode.h"

namespace quillo::base {

std::size_t characterCount(std::string_view text) {
  if (isAscii(text)) return text.size();
  const std::string valid = sanitizedUtf8(text);
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UText, decltype(&utext_close)> utext(
      utext_openUTF8(nullptr, valid.data(), static_cast<int64_t>(valid.size()), &status), utext_close);
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return valid.size();
  breaks->setText(utext.get(), status);
  std::size_t count = 0;
  for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; end = breaks->next())
    ++count;
  return count;
}

}  // namespace quillo::base

#include "recognizers.h"

#include <stdexcept>
#include <string>

namespace quillo::clipboard::recognizers {

std::unique_ptr<icu::RegexPattern> compile(std::u16string_view pattern, uint32_t flags) {
  UErrorCode status = U_ZERO_ERROR;
  UParseError parseError{};
  std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
      icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())), flags, parseError, status));
  if (U_FAILURE(status)) {
    throw std::logic_error("Recogniser pattern does not compile at offset " +
                           std::to_string(parseError.offset) + ": " + u_errorName(status));
  }
  return compiled;
}

void forEachMatch(const icu::RegexPattern& pattern, const icu::UnicodeString& text,
                  const std::function<bool(const icu::RegexMatcher&)>& accept) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(text, status));
  if (U_FAILURE(status)) return;
  int32_t from = 0;
  while (from <= text.length() && matcher->find(from, status) && U_SUCCESS(status)) {
    const int32_t start = matcher->start(status);
    const int32_t end = matcher->end(status);
    from = accept(*matcher) && end > start ? end : start + 1;
  }
}

icu::UnicodeString group(const icu::RegexMatcher& matcher, int number) {
  UErrorCode status = U_ZERO_ERROR;
  if (matcher.start(number, status) < 0 || U_FAILURE(status)) return {};
  icu::UnicodeString text = matcher.group(number, status);
  return U_SUCCESS(status) ? text : icu::UnicodeString();
}

int number(const icu::RegexMatcher& matcher, int number) {
  const icu::UnicodeString text = group(matcher, number);
  if (text.isEmpty()) return -1;
  int value = 0;
  for (int32_t index = 0; index < text.length(); ++index) {
    const char16_t digit = text[index];
    if (digit < u'0' || digit > u'9' || value > 100000) return -1;
    value = value * 10 + (digit - u'0');
  }
  return value;
}

}  // namespace quillo::clipboard::recognizers

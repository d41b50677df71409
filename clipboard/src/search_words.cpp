#include "quillo/clipboard/search_words.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <stdexcept>

#include "quillo/base/unicode.h"
#include "word_scanner.h"

namespace quillo::clipboard {
namespace {

const icu::Normalizer2& normalizer(UNormalization2Mode mode) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* instance = icu::Normalizer2::getInstance(nullptr, "nfc", mode, status);
  if (U_FAILURE(status) || instance == nullptr) throw std::runtime_error("Unicode normalisation unavailable");
  return *instance;
}

// Decomposes, drops the combining marks that carry the diacritics, folds case and recomposes.
std::string foldUnicode(std::string_view text) {
  static const icu::Normalizer2& decompose = normalizer(UNORM2_DECOMPOSE);
  static const icu::Normalizer2& compose = normalizer(UNORM2_COMPOSE);
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString source =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  const icu::UnicodeString decomposed = decompose.normalize(source, status);
  icu::UnicodeString stripped;
  stripped.getBuffer(decomposed.length());
  stripped.releaseBuffer(0);
  for (int32_t index = 0; index < decomposed.length();) {
    const UChar32 c = decomposed.char32At(index);
    index += U16_LENGTH(c);
    if (u_charType(c) != U_NON_SPACING_MARK) stripped.append(c);
  }
  stripped.foldCase(U_FOLD_CASE_DEFAULT);
  const icu::UnicodeString composed = compose.normalize(stripped, status);
  if (U_FAILURE(status)) throw std::runtime_error("Unicode normalisation failed");
  std::string result;
  composed.toUTF8String(result);
  return result;
}

}  // namespace

std::string fold(std::string_view text) {
  if (base::isAscii(text)) {
    std::string folded(text);
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return folded;
  }
  return foldUnicode(base::sanitizedUtf8(text));
}

bool isWordScalar(char32_t scalar) {
  if (scalar < 0x80) {
    return (scalar >= 'a' && scalar <= 'z') || (scalar >= 'A' && scalar <= 'Z') ||
           (scalar >= '0' && scalar <= '9');
  }
  const auto c = static_cast<UChar32>(scalar);
  return u_isUAlphabetic(c) || u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> result;
  WordScanner scanner;
  scanner.scan(text, [&](std::string_view word) { result.emplace_back(word); });
  return result;
}

char32_t WordScanner::next(std::string_view text, std::size_t& index) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  auto position = static_cast<int32_t>(index);
  UChar32 c;
  U8_NEXT(bytes, position, static_cast<int32_t>(text.size()), c);
  index = static_cast<std::size_t>(position);
  return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

}  // namespace quillo::clipboard

#include "quillo/base/unicode.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace quillo::base {
namespace {

constexpr UChar32 kReplacement = 0xFFFD;

std::u16string utf16(std::string_view text) {
  std::u16string result(text.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length, text.data(),
                       static_cast<int32_t>(text.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("UTF-8 conversion failed");
  result.resize(static_cast<std::size_t>(length));
  return result;
}

std::string utf8(std::u16string_view text) {
  std::string result(text.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length, text.data(),
                     static_cast<int32_t>(text.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("UTF-16 conversion failed");
  result.resize(static_cast<std::size_t>(length));
  return result;
}

}  // namespace

bool isAscii(std::string_view text) noexcept {
  // Eight bytes at a time: long inputs (a whole file list) are checked at memory speed.
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t index = 0;
  std::uint64_t high = 0;
  for (; index + 8 <= text.size(); index += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + index, sizeof word);
    high |= word;
  }
  for (; index < text.size(); ++index)
    high |= static_cast<unsigned char>(text[index]);
  return (high & kHighBits) == 0;
}

bool isValidUtf8(std::string_view text) noexcept {
  if (isAscii(text)) return true;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::string sanitizedUtf8(std::string_view text) {
  if (isAscii(text)) return std::string(text);
  return utf8(utf16(text));
}

std::u32string lowercasedScalars(std::string_view text) {
  std::u32string scalars;
  if (isAscii(text)) {
    // ASCII lower-cases to ASCII under full case mapping: no need to round-trip through ICU.
    scalars.resize(text.size());
    std::transform(text.begin(), text.end(), scalars.begin(),
                   [](char c) { return static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
    return scalars;
  }
  const std::u16string source = utf16(text);
  // Full lower-casing may lengthen the text (U+0130 becomes two code units), never by more than 3x.
  std::u16string lowered(source.size() * 3 + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = u_strToLower(lowered.data(), static_cast<int32_t>(lowered.size()), source.data(),
                                      static_cast<int32_t>(source.size()), "", &status);
  if (U_FAILURE(status)) throw std::runtime_error("lower-casing failed");
  scalars.reserve(static_cast<std::size_t>(length));
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(lowered.data(), i, length, c);
    scalars.push_back(static_cast<char32_t>(U_IS_SURROGATE(c) ? kReplacement : c));
  }
  return scalars;
}

std::vector<std::string> whiteSpaceSeparatedWords(std::string_view text) {
  std::vector<std::string> words;
  std::string current;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    const int32_t start = index;
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (c >= 0 && u_isUWhiteSpace(c)) {
      if (!current.empty()) words.push_back(std::move(current));
      current.clear();
    } else {
      current.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(index - start)));
    }
  }
  if (!current.empty()) words.push_back(std::move(current));
  return words;
}

std::string_view trimmedWhiteSpace(std::string_view text) noexcept {
  // From both ends inward, so that a long text costs only its white space.
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  auto start = static_cast<int32_t>(0);
  auto end = static_cast<int32_t>(text.size());
  while (start < end) {
    int32_t next = start;
    UChar32 c;
    U8_NEXT(bytes, next, end, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    start = next;
  }
  while (end > start) {
    int32_t previous = end;
    UChar32 c;
    U8_PREV(bytes, start, previous, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    end = previous;
  }
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::string lowercased(std::string_view text) {
  return utf8(lowercasedScalars(text));
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && startsWithIgnoringAsciiCase(a, b);
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) noexcept {
  if (text.size() < prefix.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
  for (std::size_t index = 0; index < prefix.size(); ++index) {
    if (lower(text[index]) != lower(prefix[index])) return false;
  }
  return true;
}

std::string utf8(std::u32string_view scalars) {
  std::u16string units;
  units.reserve(scalars.size());
  for (char32_t c : scalars) {
    UChar32 scalar = static_cast<UChar32>(c);
    if (scalar > 0x10FFFF || U_IS_SURROGATE(scalar)) scalar = kReplacement;
    if (scalar <= 0xFFFF) {
      units.push_back(static_cast<char16_t>(scalar));
    } else {
      units.push_back(static_cast<char16_t>(U16_LEAD(scalar)));
      units.push_back(static_cast<char16_t>(U16_TRAIL(scalar)));
    }
  }
  return utf8(std::u16string_view(units));
}

}  // namespace quillo::base

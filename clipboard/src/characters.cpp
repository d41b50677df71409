#include "characters.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <memory>
#include <stdexcept>

#include "quillo/base/unicode.h"

namespace quillo::clipboard::characters {
namespace {

struct BreakIteratorCloser {
  void operator()(UBreakIterator* iterator) const noexcept { ubrk_close(iterator); }
};
using BreakIterator = std::unique_ptr<UBreakIterator, BreakIteratorCloser>;

struct TextCloser {
  void operator()(UText* text) const noexcept { utext_close(text); }
};
using Text = std::unique_ptr<UText, TextCloser>;

// Calls `boundary` with each character's end offset in bytes, in order, until it returns false.
template <class Boundary>
void forEachClusterEnd(std::string_view text, Boundary boundary) {
  if (base::isAscii(text)) {
    // Every ASCII byte is a character of its own, except CR LF, which is one.
    for (std::size_t index = 0; index < text.size(); ++index) {
      if (text[index] == '\r' && index + 1 < text.size() && text[index + 1] == '\n') ++index;
      if (!boundary(index + 1)) return;
    }
    return;
  }
  UErrorCode status = U_ZERO_ERROR;
  const Text utext(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
  // Opening the iterator costs more than a short walk; each thread keeps one.
  thread_local BreakIterator iterator;
  if (!iterator) iterator.reset(ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
  ubrk_setUText(iterator.get(), utext.get(), &status);
  if (U_FAILURE(status)) throw std::runtime_error("character boundaries unavailable");
  for (int32_t end = ubrk_next(iterator.get()); end != UBRK_DONE; end = ubrk_next(iterator.get())) {
    if (!boundary(static_cast<std::size_t>(end))) return;
  }
}

}  // namespace

bool isValidUtf8(std::string_view text) noexcept {
  if (base::isAscii(text)) return true;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) noexcept {
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

std::vector<std::string> clusters(std::string_view text) {
  const std::string clean = base::sanitizedUtf8(text);
  std::vector<std::string> result;
  std::size_t start = 0;
  forEachClusterEnd(clean, [&](std::size_t end) {
    result.emplace_back(clean.substr(start, end - start));
    start = end;
    return true;
  });
  return result;
}

std::string prefix(std::string_view text, std::size_t count) {
  const std::string clean = base::sanitizedUtf8(text);
  std::size_t kept = 0;
  std::size_t seen = 0;
  forEachClusterEnd(clean, [&](std::size_t end) {
    if (seen == count) return false;
    ++seen;
    kept = end;
    return true;
  });
  return clean.substr(0, kept);
}

std::string prefixWithinBytes(std::string_view text, std::size_t bytes) {
  const std::string clean = base::sanitizedUtf8(text);
  if (clean.size() <= bytes) return clean;
  std::size_t kept = 0;
  forEachClusterEnd(clean, [&](std::size_t end) {
    if (end > bytes) return false;
    kept = end;
    return true;
  });
  return clean.substr(0, kept);
}

}  // namespace quillo::clipboard::characters

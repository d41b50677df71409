#include "quillo/base/characters.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <limits>
#include <memory>
#include <stdexcept>

#include "quillo/base/unicode.h"

namespace quillo::base {
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
// The text must be well-formed UTF-8.
template <class Boundary>
void forEachClusterEnd(std::string_view text, Boundary boundary) {
  if (isAscii(text)) {
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

// The characters counted up to `stopAfter` + 1 at most.
std::size_t countUpTo(std::string_view text, std::size_t stopAfter) {
  const std::string clean = sanitizedUtf8(text);
  std::size_t count = 0;
  forEachClusterEnd(clean, [&](std::size_t) { return ++count <= stopAfter; });
  return count;
}

}  // namespace

std::size_t characterCount(std::string_view text) {
  return countUpTo(text, std::numeric_limits<std::size_t>::max());
}

bool hasMoreCharactersThan(std::string_view text, std::size_t limit) {
  // Bytes bound characters from above, so short text needs no counting.
  return text.size() > limit && countUpTo(text, limit) > limit;
}

std::vector<std::string> characterClusters(std::string_view text) {
  const std::string clean = sanitizedUtf8(text);
  std::vector<std::string> result;
  std::size_t start = 0;
  forEachClusterEnd(clean, [&](std::size_t end) {
    result.emplace_back(clean.substr(start, end - start));
    start = end;
    return true;
  });
  return result;
}

std::string characterPrefix(std::string_view text, std::size_t count) {
  const std::string clean = sanitizedUtf8(text);
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

std::string characterPrefixWithinBytes(std::string_view text, std::size_t bytes) {
  const std::string clean = sanitizedUtf8(text);
  if (clean.size() <= bytes) return clean;
  std::size_t kept = 0;
  forEachClusterEnd(clean, [&](std::size_t end) {
    if (end > bytes) return false;
    kept = end;
    return true;
  });
  return clean.substr(0, kept);
}

}  // namespace quillo::base

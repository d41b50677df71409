#include "abbreviation.h"

#include <unicode/utf8.h>

#include <cstdint>

#include "quillo/clipboard/clipboard_search_index.h"
#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {
namespace {

bool isSubsequence(std::u32string_view letters, std::u32string_view label) {
  std::size_t next = 0;
  for (char32_t scalar : label) {
    if (next < letters.size() && scalar == letters[next]) ++next;
  }
  return next == letters.size();
}

}  // namespace

std::u32string scalarsOf(std::string_view text) {
  std::u32string scalars;
  scalars.reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    scalars.push_back(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
  }
  return scalars;
}

std::uint64_t scalarMask(std::u32string_view scalars) {
  std::uint64_t mask = 0;
  for (char32_t scalar : scalars)
    mask |= std::uint64_t{1} << (scalar % 64);
  return mask;
}

bool ClipboardSearchIndex::isAbbreviation(std::u32string_view letters, std::string_view label) {
  return abbreviates(letters, scalarsOf(label));
}

bool abbreviates(std::u32string_view letters, std::u32string_view scalars) {
  const std::size_t n = letters.size();
  if (n < 1 || n > 63 || scalars.empty()) return false;
  if (!isSubsequence(letters, scalars)) return false;

  std::uint64_t reachable = 1;  // position 0: no letter consumed yet
  const std::uint64_t done = std::uint64_t{1} << n;
  std::size_t index = 0;
  while (index < scalars.size()) {
    while (index < scalars.size() && !isWordScalar(scalars[index]))
      ++index;
    const std::size_t start = index;
    while (index < scalars.size() && isWordScalar(scalars[index]))
      ++index;
    if (index == start) break;
    const std::u32string_view word(scalars.data() + start, index - start);
    std::uint64_t reached = 0;
    for (std::size_t position = 0; position < n; ++position) {
      if ((reachable & (std::uint64_t{1} << position)) == 0 || letters[position] != word[0]) continue;
      for (std::size_t k = 0; position + k < n && k < word.size() && word[k] == letters[position + k]; ++k) {
        reached |= std::uint64_t{1} << (position + k + 1);
      }
    }
    // Words may be skipped, so what was reachable stays reachable.
    reachable |= reached;
    if (reachable & done) return true;
  }
  return false;
}

}  // namespace quillo::clipboard

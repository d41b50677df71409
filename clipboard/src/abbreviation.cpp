#include "abbreviation.h"

#include <unicode/utf8.h>

#include <bit>

#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_search_index.h"
#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {
namespace {

constexpr std::size_t kMaximumLetters = 63;

std::uint64_t bitOf(char32_t scalar) {
  return std::uint64_t{1} << (scalar % 64);
}

std::uint64_t scalarMask(std::u32string_view scalars) {
  std::uint64_t mask = 0;
  for (char32_t scalar : scalars)
    mask |= bitOf(scalar);
  return mask;
}

// Calls `visit(scalar)` for each scalar of UTF-8 text; ill-formed bytes read as U+FFFD.
template <class Visit>
void forEachScalar(std::string_view text, Visit&& visit) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    visit(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
  }
}

// Calls `visit(scalars, length)` for each word of the label, in order, until it returns true;
// a word's first kMaximumLetters scalars are all an abbreviation can match.
template <class Visit>
bool anyWord(std::string_view label, Visit&& visit) {
  std::array<char32_t, kMaximumLetters> word{};
  std::size_t length = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(label.data());
  const auto size = static_cast<int32_t>(label.size());
  for (int32_t index = 0; index < size;) {
    UChar32 c;
    U8_NEXT(bytes, index, size, c);
    const char32_t scalar = c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
    if (isWordScalar(scalar)) {
      if (length < word.size()) word[length] = scalar;
      ++length;
    } else if (length > 0) {
      if (visit(word.data(), std::min(length, word.size()))) return true;
      length = 0;
    }
  }
  return length > 0 && visit(word.data(), std::min(length, word.size()));
}

bool isAsciiWordByte(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z');
}

}  // namespace

AbbreviationLabel::AbbreviationLabel(std::string_view label) : ascii(base::isAscii(label)) {
  bool inWord = false;
  forEachScalar(label, [&](char32_t scalar) {
    mask |= bitOf(scalar);
    const bool isWord = isWordScalar(scalar);
    if (isWord && !inWord) initials |= bitOf(scalar);
    inWord = isWord;
  });
}

Abbreviation::Abbreviation(std::u32string letters)
    : letters_(std::move(letters)), mask_(scalarMask(letters_)) {
  if (letters_.size() > kMaximumLetters) return;
  for (std::size_t position = 0; position < letters_.size(); ++position) {
    if (letters_[position] < asciiPositions_.size())
      asciiPositions_[letters_[position]] |= std::uint64_t{1} << position;
  }
}

std::uint64_t Abbreviation::positionsOf(char32_t scalar) const {
  if (scalar < asciiPositions_.size()) return asciiPositions_[scalar];
  std::uint64_t positions = 0;
  for (std::size_t position = 0; position < letters_.size(); ++position) {
    if (letters_[position] == scalar) positions |= std::uint64_t{1} << position;
  }
  return positions;
}

bool Abbreviation::abbreviates(const AbbreviationLabel& masks, std::string_view label) const {
  const std::size_t n = letters_.size();
  if (n < 1 || n > kMaximumLetters || label.empty()) return false;
  // Cheap rejections first: every letter must occur, and the first must start a word. The walk
  // below visits words, not scalars, so it is cheaper than a test for the letters' order.
  if ((mask_ & ~masks.mask) != 0 || (masks.initials & bitOf(letters_[0])) == 0) return false;

  // Bit p of `reachable`: the first p letters are matched by starts of words seen so far.
  std::uint64_t reachable = 1;
  const std::uint64_t done = std::uint64_t{1} << n;
  const auto visit = [&](const auto* word, std::size_t length) {
    std::uint64_t starts = reachable & positionsOf(word[0]) & (done - 1);
    std::uint64_t reached = 0;
    while (starts != 0) {
      const auto position = static_cast<std::size_t>(std::countr_zero(starts));
      starts &= starts - 1;
      for (std::size_t k = 0; position + k < n && k < length && word[k] == letters_[position + k]; ++k)
        reached |= std::uint64_t{1} << (position + k + 1);
    }
    // Words may be skipped, so what was reachable stays reachable.
    reachable |= reached;
    return (reachable & done) != 0;
  };
  if (!masks.ascii) return anyWord(label, visit);
  // Most labels are ASCII: their words are read in place, a byte a letter.
  const auto* bytes = reinterpret_cast<const unsigned char*>(label.data());
  const std::size_t size = label.size();
  for (std::size_t index = 0; index < size;) {
    while (index < size && !isAsciiWordByte(bytes[index]))
      ++index;
    const std::size_t start = index;
    while (index < size && isAsciiWordByte(bytes[index]))
      ++index;
    if (index > start && visit(bytes + start, index - start)) return true;
  }
  return false;
}

bool ClipboardSearchIndex::isAbbreviation(std::u32string_view letters, std::string_view label) {
  return Abbreviation(std::u32string(letters)).abbreviates(AbbreviationLabel(label), label);
}

}  // namespace quillo::clipboard

#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/unicode.h"
#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {

// Splits texts into folded words without copying each word: the reported views point into a
// buffer of the scanner, valid until the next scan, with at least `kPadding` readable bytes after
// each word's start. One per thread.
class WordScanner {
 public:
  static constexpr std::size_t kPadding = 16;

  // Calls `onWord(std::string_view)` for every word of `text`, in order.
  template <class OnWord>
  void scan(std::string_view text, OnWord&& onWord) {
    if (base::isAscii(text)) {
      scanAscii(text, onWord);
    } else {
      folded_ = fold(text);
      const std::size_t size = folded_.size();
      folded_.append(kPadding, '\0');
      scanUnicode(std::string_view(folded_).substr(0, size), onWord);
    }
  }

 private:
  // Folds and splits ASCII text eight bytes at a time: a pass that lowers the text into the buffer
  // (at the same offsets) and marks its word bytes in a bit mask, then a pass over the mask that
  // finds words from the mask's edges. Branching byte by byte on word boundaries, which come
  // every few bytes, costs several times more.
  template <class OnWord>
  void scanAscii(std::string_view text, OnWord& onWord) {
    const std::size_t size = text.size();
    const std::size_t blocks = (size + 63) / 64;
    if (folded_.size() < blocks * 64 + kPadding) folded_.resize(blocks * 64 + kPadding);
    if (wordBits_.size() < blocks) wordBits_.resize(blocks);
    char* const folded = folded_.data();
    for (std::size_t block = 0; block < blocks; ++block) {
      std::uint64_t bits = 0;
      for (unsigned lane = 0; lane < 8; ++lane) {
        const std::size_t at = block * 64 + lane * 8;
        std::uint64_t chunk = 0;
        // Bytes past the end stay zero, which is no word byte.
        if (at < size) std::memcpy(&chunk, text.data() + at, std::min<std::size_t>(8, size - at));
        const std::uint64_t upper = bytesWithin(chunk, 'A', 'Z');
        const std::uint64_t word = upper | bytesWithin(chunk, 'a', 'z') | bytesWithin(chunk, '0', '9');
        chunk |= upper >> 2;  // 0x80 >> 2 is the case bit
        std::memcpy(folded + at, &chunk, sizeof chunk);
        bits |= (((word >> 7) * 0x0102040810204080ULL) >> 56) << (lane * 8);
      }
      wordBits_[block] = bits;
    }
    std::size_t start = 0;
    std::uint64_t carry = 0;
    for (std::size_t block = 0; block < blocks; ++block) {
      const std::uint64_t bits = wordBits_[block];
      // A word starts where a word byte follows another byte, and ends at the first byte after it.
      const std::uint64_t before = (bits << 1) | carry;
      std::uint64_t edges = bits ^ before;
      carry = bits >> 63;
      while (edges != 0) {
        const std::size_t at = block * 64 + static_cast<std::size_t>(std::countr_zero(edges));
        edges &= edges - 1;
        if (bits & (std::uint64_t{1} << (at % 64))) {
          start = at;
        } else {
          onWord(std::string_view(folded + start, at - start));
        }
      }
    }
    // A word running up to the last block's end; the end of the text closes it.
    if (carry != 0) onWord(std::string_view(folded + start, blocks * 64 - start));
  }

  // Marks (with 0x80) the bytes of `chunk` from `low` to `high`; every byte must be below 0x80.
  static std::uint64_t bytesWithin(std::uint64_t chunk, char low, char high) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::uint64_t atLeastLow = chunk + kOnes * static_cast<std::uint64_t>(0x80 - low);
    const std::uint64_t aboveHigh = chunk + kOnes * static_cast<std::uint64_t>(0x7F - high);
    return atLeastLow & ~aboveHigh & (kOnes * 0x80);
  }

  template <class OnWord>
  static void scanUnicode(std::string_view folded, OnWord& onWord) {
    std::size_t start = std::string_view::npos;
    std::size_t index = 0;
    while (index < folded.size()) {
      const std::size_t here = index;
      const char32_t scalar = next(folded, index);
      if (isWordScalar(scalar)) {
        if (start == std::string_view::npos) start = here;
      } else if (start != std::string_view::npos) {
        onWord(folded.substr(start, here - start));
        start = std::string_view::npos;
      }
    }
    if (start != std::string_view::npos) onWord(folded.substr(start));
  }

  // The scalar at `index` (advanced past it); the folded text is always well-formed.
  static char32_t next(std::string_view text, std::size_t& index);

  // The folded text.
  std::string folded_;
  // For ASCII texts, one bit per byte of the text: set for word bytes.
  std::vector<std::uint64_t> wordBits_;
};

}  // namespace quillo::clipboard

#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fff {

// A text of at most `Bytes` bytes (32 or 64), ASCII letters folded to lower case when case is
// ignored, from which the positions of any byte come as one 64-bit mask. Matching a query
// against a name then costs a few instructions per query byte instead of a walk over the name
// for each. It reads `Bytes` bytes whole: the caller guarantees that they can be read from
// `data` on (the name table keeps that much slack after its last name); bytes past `length`
// are never reported. Most names fit in 32 bytes, for which half the work is done.
template <std::size_t Bytes>
class ShortText {
  static_assert(Bytes == 32 || Bytes == 64);

 public:
  static constexpr std::size_t kMaxLength = Bytes;

  ShortText(const char* data, std::size_t length, bool foldCase)
      : valid_(length >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << length) - 1) {
#if defined(__SSE2__)
    const __m128i beforeUpper = _mm_set1_epi8('A' - 1);
    const __m128i afterUpper = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (std::size_t k = 0; k < kBlocks; ++k) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * k));
      // Bytes above 0x7f compare as negative, so only 'A'..'Z' are in the range.
      if (foldCase) {
        const __m128i upper =
            _mm_and_si128(_mm_cmpgt_epi8(block, beforeUpper), _mm_cmplt_epi8(block, afterUpper));
        block = _mm_or_si128(block, _mm_and_si128(upper, caseBit));
      }
      blocks_[k] = block;
    }
#else
    for (std::size_t k = 0; k < length && k < Bytes; ++k) {
      const auto c = static_cast<unsigned char>(data[k]);
      bytes_[k] = foldCase && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
    }
#endif
  }

  // Bit j is set when byte j is `byte` (after folding: a folded text holds no 'A'..'Z').
  std::uint64_t positions(unsigned char byte) const {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    for (std::size_t k = 0; k < kBlocks; ++k) {
      const auto block = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(blocks_[k], wanted)));
      mask |= std::uint64_t{block} << (16 * k);
    }
#else
    for (std::size_t k = 0; k < Bytes; ++k)
      if (bytes_[k] == byte) mask |= std::uint64_t{1} << k;
#endif
    return mask & valid_;
  }

  // A bit for every byte of the text.
  std::uint64_t all() const {
    return valid_;
  }

 private:
  static constexpr std::size_t kBlocks = Bytes / 16;
#if defined(__SSE2__)
  __m128i blocks_[kBlocks];
#else
  unsigned char bytes_[Bytes]{};
#endif
  std::uint64_t valid_;
};

}  // namespace fff

#pragma once

#include <string>
#include <string_view>

#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {

// Splits texts into folded words without copying each word: the folded text is kept in a buffer
// that the reported views point into until the next scan. One per thread.
class WordScanner {
 public:
  // Calls `onWord(std::string_view)` for every word of `text`, in order.
  template <class OnWord>
  void scan(std::string_view text, OnWord&& onWord) {
    foldInto(text);
    if (asciiOnly_) {
      scanAscii(onWord);
    } else {
      scanUnicode(onWord);
    }
  }

 private:
  void foldInto(std::string_view text);

  static bool isAsciiWordByte(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

  template <class OnWord>
  void scanAscii(OnWord& onWord) const {
    const std::string_view folded(folded_);
    std::size_t start = 0;
    const std::size_t size = folded.size();
    while (start < size) {
      while (start < size && !isAsciiWordByte(static_cast<unsigned char>(folded[start])))
        ++start;
      std::size_t end = start;
      while (end < size && isAsciiWordByte(static_cast<unsigned char>(folded[end])))
        ++end;
      if (end > start) onWord(folded.substr(start, end - start));
      start = end;
    }
  }

  template <class OnWord>
  void scanUnicode(OnWord& onWord) const {
    const std::string_view folded(folded_);
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

  std::string folded_;
  bool asciiOnly_ = true;
};

}  // namespace quillo::clipboard

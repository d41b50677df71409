#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillo::clipboard {

// What the abbreviation pass, which visits every entry the words missed, reads of a label before
// its text: which scalars occur (one bit per scalar value modulo 64), in it and at word starts.
// Most labels fail on these; the few left are walked in their UTF-8 text.
struct AbbreviationLabel {
  AbbreviationLabel() = default;
  explicit AbbreviationLabel(std::string_view label);

  std::uint64_t mask = 0;
  std::uint64_t initials = 0;
  bool ascii = true;
};

// Typed letters, prepared once per search, tested against labels.
class Abbreviation {
 public:
  explicit Abbreviation(std::u32string letters);

  // Whether the letters split into consecutive groups, each the start of a different word of
  // the label, in the label's order. `masks` are those of `label`.
  bool abbreviates(const AbbreviationLabel& masks, std::string_view label) const;

 private:
  // Bit p set when the letter at position p is `scalar`.
  std::uint64_t positionsOf(char32_t scalar) const;

  std::u32string letters_;
  std::uint64_t mask_ = 0;
  std::array<std::uint64_t, 128> asciiPositions_{};
};

}  // namespace quillo::clipboard

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::core {

// Text prepared once for fuzzy matching: its lower-cased scalars (spaces kept), which of them
// begin a word, and a 64-bit signature of the characters it contains.
struct MatchTarget {
  std::u32string scalars;
  std::vector<bool> wordStart;
  std::uint64_t bits = 0;
  // The signature of the characters that begin words.
  std::uint64_t wordStartBits = 0;

  MatchTarget() = default;
  explicit MatchTarget(std::string_view text);
  explicit MatchTarget(std::u32string lowercasedScalars);

  // The view the scoring algorithm reads.
  std::size_t size() const noexcept { return scalars.size(); }
  char32_t at(int index) const noexcept { return scalars[static_cast<std::size_t>(index)]; }
  bool isWordStart(int index) const noexcept { return wordStart[static_cast<std::size_t>(index)]; }
  std::uint64_t signature() const noexcept { return bits; }
  std::uint64_t wordStartSignature() const noexcept { return wordStartBits; }

  bool operator==(const MatchTarget&) const = default;
};

}  // namespace quillo::core

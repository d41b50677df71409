#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The scoring algorithm of FuzzyMatcher, written once over any view of lower-cased text so that
// fast paths (a filter over plain ASCII lines) score exactly as a prepared MatchTarget does.
// A view provides: size(), at(j) -> char32_t, isWordStart(j) -> bool, signature() -> uint64_t.
namespace quillo::core::fuzzy {

// The score bands: the kind of match can be told from the value.
inline constexpr int kStrongMatch = 800;
inline constexpr int kWholeTitle = 1000;
inline constexpr int kBestWeakMatch = 799;

struct ScoreBand {
  int lowest;
  int highest;
  constexpr int clamped(int score) const { return std::clamp(score, lowest, highest); }
};
// The title begins with the query.
inline constexpr ScoreBand kTitlePrefix{871, 910};
// A later word of the title begins with the query.
inline constexpr ScoreBand kWordStart{801, 819};

// A title-prefix match of `typed` characters in a title of `titleLength`: longer queries rank
// higher, longer titles lower.
constexpr int titlePrefixScore(int typed, int titleLength) {
  return 900 + std::min(typed, 20) - std::min(titleLength, 60) / 2;
}

// A word-start match of `typed` characters beginning `offset` characters into the title: the
// earlier the word, the higher.
constexpr int wordStartScore(int typed, int offset) {
  return 810 + std::min(typed, 10) - std::min(offset, 10);
}

constexpr bool isSeparator(char32_t c) {
  return c == U' ' || c == U'-' || c == U'.' || c == U'_' || c == U':';
}

// The bit a scalar sets in a text's signature: a-z bits 0-25, 0-9 bits 26-35, anything else bit 63.
constexpr std::uint64_t signatureBit(char32_t c) {
  if (c >= U'a' && c <= U'z') return std::uint64_t{1} << (c - U'a');
  if (c >= U'0' && c <= U'9') return std::uint64_t{1} << (c - U'0' + 26);
  return std::uint64_t{1} << 63;
}

template <class Scalars>
constexpr std::uint64_t signature(const Scalars& scalars) {
  std::uint64_t bits = 0;
  for (auto c : scalars)
    bits |= signatureBit(static_cast<char32_t>(c));
  return bits;
}

// A match that begins at a word start and runs over consecutive characters, separators in the
// target skipped.
template <class View>
std::optional<int> prefixScore(std::u32string_view q, const View& t) {
  const int m = static_cast<int>(q.size());
  const int n = static_cast<int>(t.size());
  if (n == 0) return std::nullopt;
  std::optional<int> best;
  for (int p = 0; p + m <= n; ++p) {
    // A word start is never a separator, so it must be the first query character itself.
    if (t.at(p) != q[0] || !t.isWordStart(p)) continue;
    int qi = 0;
    int j = p;
    bool matched = true;
    while (qi < m) {
      if (j >= n) {
        matched = false;
        break;
      }
      const char32_t c = t.at(j);
      if (c == q[qi]) {
        ++qi;
        ++j;
      } else if (isSeparator(c)) {
        ++j;
      } else {
        matched = false;
        break;
      }
    }
    if (!matched) continue;
    const int end = j;
    const int skipped = end - p > m ? 1 : 0;
    if (p == 0) {
      bool restAreSeparators = true;
      for (int k = end; k < n && restAreSeparators; ++k)
        restAreSeparators = isSeparator(t.at(k));
      if (restAreSeparators) return kWholeTitle;
      return titlePrefixScore(m, n) - skipped;
    }
    const int candidate = wordStartScore(m, p) - skipped;
    if (!best || candidate > *best) best = candidate;
  }
  return best;
}

// Every query character found in order; with `preferWordStarts` each is first looked for at a
// word start.
template <class View>
std::optional<int> subsequenceScore(std::u32string_view q, const View& t, bool preferWordStarts) {
  const int n = static_cast<int>(t.size());
  int score = 0;
  int previous = -2;
  int position = 0;
  for (const char32_t c : q) {
    int found = -1;
    if (preferWordStarts) {
      for (int j = position; j < n; ++j) {
        if (t.at(j) == c && t.isWordStart(j)) {
          found = j;
          break;
        }
      }
    }
    if (found < 0) {
      for (int j = position; j < n; ++j) {
        if (t.at(j) == c) {
          found = j;
          break;
        }
      }
      if (found < 0) return std::nullopt;
    }
    score += 16;
    if (t.isWordStart(found)) score += 30;
    if (found == previous + 1) score += 20;
    previous = found;
    position = found + 1;
  }
  return score;
}

// Whether a target can hold the query at all: long enough, and every character class present.
template <class View>
bool mayMatch(std::u32string_view q, std::uint64_t queryBits, const View& t) {
  return !q.empty() && t.size() >= q.size() && (queryBits & ~t.signature()) == 0;
}

// The strong part of the score alone: a whole-title, prefix or word-start match (always at least
// kStrongMatch), or none.
template <class View>
std::optional<int> strongScore(std::u32string_view q, std::uint64_t queryBits, const View& t) {
  if (!mayMatch(q, queryBits, t)) return std::nullopt;
  // A target that says which letters begin its words spares the walk when none is the first.
  if constexpr (requires { t.wordStartSignature(); }) {
    if ((signatureBit(q[0]) & t.wordStartSignature()) == 0) return std::nullopt;
  }
  return prefixScore(q, t);
}

// The weak part of the score alone: a scattered match (at most kBestWeakMatch), for a target that
// has no strong match.
template <class View>
std::optional<int> weakScore(std::u32string_view q, std::uint64_t queryBits, const View& t) {
  if (!mayMatch(q, queryBits, t)) return std::nullopt;
  const auto scattered = subsequenceScore(q, t, false);
  if (!scattered) return std::nullopt;
  const auto atWordStarts = subsequenceScore(q, t, true);
  const int best = atWordStarts ? std::max(*scattered, *atWordStarts) : *scattered;
  return std::min(best - static_cast<int>((t.size() - q.size()) / 4), kBestWeakMatch);
}

// The match score of a prepared query whose signature is `queryBits`; none when it does not match.
template <class View>
std::optional<int> score(std::u32string_view q, std::uint64_t queryBits, const View& t) {
  if (const auto strong = strongScore(q, queryBits, t)) return strong;
  return weakScore(q, queryBits, t);
}

}  // namespace quillo::core::fuzzy

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/core/matching/fuzzy_score.h"
#include "quillo/core/matching/match_target.h"

namespace quillo::core {

// A query prepared for matching: lower-cased scalars without spaces, and their signature.
struct PreparedQuery {
  std::u32string scalars;
  std::uint64_t bits = 0;

  bool empty() const noexcept { return scalars.empty(); }
  bool operator==(const PreparedQuery&) const = default;
};

// Scores how well a typed query matches one prepared text. Scores lie in fixed bands so that a
// caller can tell the kind of match from the value: 1000 the whole title, 871 to 910 a title
// prefix, 801 to 819 a later word start, at most 799 a scattered match (possibly negative).
// Stateless and allocation-free per score; safe from any thread.
struct FuzzyMatcher {
  // The lowest score of a strong (prefix or word-start) match.
  static constexpr int strongMatch = fuzzy::kStrongMatch;
  // The largest bonus a caller may add for past use: smaller than the gap between bands.
  static constexpr int maxUsageBonus = 9;

  // Lower-cases the text (full Unicode lower-casing) and drops every space; other white space
  // and punctuation stay. An empty result means there is no query.
  static PreparedQuery prepare(std::string_view text);

  static std::uint64_t bits(std::u32string_view scalars) { return fuzzy::signature(scalars); }

  static std::optional<int> score(const PreparedQuery& query, const MatchTarget& target) {
    return fuzzy::score(query.scalars, query.bits, target);
  }

  // The score split in its two kinds, for callers that can skip the scattered matches once they
  // hold enough strong ones: score = strongScore, else weakScore.
  static std::optional<int> strongScore(const PreparedQuery& query, const MatchTarget& target) {
    return fuzzy::strongScore(query.scalars, query.bits, target);
  }
  static std::optional<int> weakScore(const PreparedQuery& query, const MatchTarget& target) {
    return fuzzy::weakScore(query.scalars, query.bits, target);
  }

  static constexpr bool isSeparator(char32_t c) { return fuzzy::isSeparator(c); }
};

}  // namespace quillo::core

#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "index.h"

namespace fff {

// An entry a fuzzy search may show, with what orders it.
struct Candidate {
  std::uint32_t entry;
  std::int32_t score;
  std::uint16_t pathLength;
};

// Best score first, then the shorter path; the entry index only makes selection total.
inline bool ranksBefore(const Candidate& a, const Candidate& b) {
  if (a.score != b.score) return a.score > b.score;
  if (a.pathLength != b.pathLength) return a.pathLength < b.pathLength;
  return a.entry < b.entry;
}

// The heap of the best candidates seen so far, the worst of them on top. The order is a type
// rather than a function pointer, so that the heap's comparisons are inlined.
struct RanksBefore {
  bool operator()(const Candidate& a, const Candidate& b) const { return ranksBefore(a, b); }
};
using BestCandidates = std::priority_queue<Candidate, std::vector<Candidate>, RanksBefore>;

inline bool sameRank(const Candidate& a, const Candidate& b) {
  return a.score == b.score && a.pathLength == b.pathLength;
}

// Keeps `wanted` of the best candidates, in no particular order and whatever their ties.
void shortlist(std::vector<Candidate>& candidates, std::size_t wanted);

// Keeps the `wanted` best candidates in order. Candidates of equal score and length are ordered
// by path, so those tied with the last one kept are all considered before any is dropped.
void keepBest(const Index& index, std::vector<Candidate>& candidates, std::size_t wanted);

// The score every one of the `wanted` best entries seen so far reaches, where a whole group of
// entries (those sharing a name) arrives with one score: anything scoring below it cannot be
// shown. Until `wanted` entries have arrived it is the floor (the caller's minimum score).
class ScoreBar {
 public:
  ScoreBar(std::size_t wanted, std::int32_t floor) : wanted_(wanted), floor_(floor) {}

  void add(std::int32_t score, std::uint32_t entries) {
    if (entries == 0 || wanted_ == 0) return;
    groups_.emplace(score, entries);
    held_ += entries;
    // Drop the weakest group while the others still hold enough.
    while (held_ - groups_.top().second >= wanted_) {
      held_ -= groups_.top().second;
      groups_.pop();
    }
  }
  bool full() const { return wanted_ > 0 && held_ >= wanted_; }
  std::int32_t value() const { return full() ? std::max(floor_, groups_.top().first) : floor_; }

 private:
  using Group = std::pair<std::int32_t, std::uint64_t>;  // score, entries
  std::priority_queue<Group, std::vector<Group>, std::greater<>> groups_;
  std::size_t wanted_;
  std::int32_t floor_;
  std::uint64_t held_ = 0;
};

}  // namespace fff

#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzzy.h"
#include "index.h"
#include "name_search.h"
#include "ranking.h"
#include "search.h"

namespace fff {

// The fuzzy search over whole paths, for entries whose name alone does not hold the query: the
// query's start is matched through the folders' names, once per folder, and its rest within
// the entry's name, once per distinct name. The pass over the entries then only compares two
// numbers per entry.
class PathSearch {
 public:
  PathSearch(const Index& index, const Query& query, const SearchOptions& options);

  // Every entry whose path holds the query but whose name (by `verdicts`) does not: all are
  // counted in `total`, and the best `keep` by a rough score are returned, in no order. The
  // rough score is how much of the query's end the entry's name holds.
  std::vector<Candidate> collect(const NameVerdicts& verdicts, std::size_t keep, std::uint64_t& total) const;

  // The full alignment over the path, for a shortlisted candidate.
  std::int32_t score(const Candidate& candidate) const;

 private:
  std::vector<std::uint16_t> folderStarts() const;
  template <class Tail>
  std::vector<Candidate> collectWith(const std::vector<std::uint16_t>& starts, const NameVerdicts& verdicts,
                                     std::size_t keep, std::uint64_t& total) const;
  template <class Tail>
  void collectEntries(std::uint32_t begin, std::uint32_t end, const std::vector<std::uint16_t>& starts,
                      Tail* tails, std::size_t keep, std::vector<Candidate>& out,
                      std::uint64_t& counted) const;
  std::size_t exactTail(std::uint32_t name) const;
  std::size_t maskTail(std::uint32_t name) const;

  std::string_view matchText(std::uint32_t name) const {
    return query_.matchCase ? index_.names().text(name) : index_.names().folded(name);
  }

  const Index& index_;
  const Query& query_;
  const SearchOptions& options_;
  std::vector<CharMask> bits_;  // charBit of each query byte
  // Per byte of a name's missing letter bits, one past the last query byte among them: the
  // mask's bound on a tail is then eight lookups, the same few steps for every name.
  std::array<std::array<std::uint16_t, 256>, 8> afterMissing_{};
};

}  // namespace fff

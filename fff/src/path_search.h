#pragma once

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
// the entry's name, once per distinct name.
class PathSearch {
 public:
  PathSearch(const Index& index, const Query& query, const SearchOptions& options);

  // For each directory slot, how much of the query is matched before the names of the entries
  // it holds: what its path consumes, and a "/" of the query after that. 0 for the root (whose
  // entries have no folders to help them) and for removed folders.
  std::vector<std::uint16_t> folderStarts() const;

  // Goes through the entries held by the folders [begin, end) (directory slots) whose start is
  // not 0, counting those whose path holds the query in `counted` and keeping the best `keep`
  // of them by the rough score: how much of the query's end their name holds (the more, the
  // better the match ranks before it is scored).
  void collect(std::uint32_t begin, std::uint32_t end, const std::vector<std::uint16_t>& starts,
               const NameVerdicts& verdicts, std::size_t keep, std::vector<Candidate>& out,
               std::uint64_t& counted) const;

  // The full alignment over the path, for a shortlisted candidate.
  std::int32_t score(const Candidate& candidate) const;

 private:
  std::string_view matchText(std::uint32_t name) const {
    return query_.matchCase ? index_.names().text(name) : index_.names().folded(name);
  }

  const Index& index_;
  const Query& query_;
  const SearchOptions& options_;
  std::vector<std::uint32_t> bits_;  // charBit of each query byte
};

}  // namespace fff

#include "ranking.h"

#include <algorithm>
#include <string>

namespace fff {

void shortlist(std::vector<Candidate>& candidates, std::size_t wanted) {
  if (candidates.size() <= wanted) return;
  std::nth_element(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(wanted),
                   candidates.end(), ranksBefore);
  candidates.resize(wanted);
}

void keepBest(const Index& index, std::vector<Candidate>& candidates, std::size_t wanted) {
  if (wanted == 0) {
    candidates.clear();
    return;
  }
  if (candidates.size() > wanted) {
    const auto edge = candidates.begin() + static_cast<std::ptrdiff_t>(wanted - 1);
    std::nth_element(candidates.begin(), edge, candidates.end(), ranksBefore);
    const Candidate last = *edge;
    const auto tied =
        std::partition(edge + 1, candidates.end(), [&](const Candidate& c) { return sameRank(c, last); });
    candidates.erase(tied, candidates.end());
  }
  std::sort(candidates.begin(), candidates.end(), ranksBefore);
  for (auto run = candidates.begin(); run != candidates.end();) {
    const auto end =
        std::find_if(run, candidates.end(), [&](const Candidate& c) { return !sameRank(c, *run); });
    if (end - run > 1) {
      std::vector<std::pair<std::string, Candidate>> keyed;
      for (auto it = run; it != end; ++it)
        keyed.emplace_back(index.path(it->entry), *it);
      std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      for (std::size_t k = 0; k < keyed.size(); ++k)
        run[static_cast<std::ptrdiff_t>(k)] = keyed[k].second;
    }
    run = end;
  }
  if (candidates.size() > wanted) candidates.resize(wanted);
}

}  // namespace fff

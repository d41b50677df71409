#include "search.h"

#include <algorithm>

#include "error.h"
#include "fuzzy.h"
#include "name_search.h"
#include "path_search.h"
#include "ranking.h"
#include "shares.h"

namespace fff {
namespace {

constexpr std::size_t kMaxQuery = 256;
// Path matches are ranked roughly first; this many times the wanted count are scored fully.
constexpr std::size_t kPathShortlist = 4;
// What scoring a path in full costs against reading one entry in a pass over all of them:
// passes share out work by that measure.
constexpr std::size_t kPathScoreCost = 1024;

// Tests every distinct name once, over the cores. Returns what was found in all shares
// together; `verdicts` then says which names are shown, by the bar all shares set together.
NamesFound testNames(const Index& index, const NameSearch& search, const SearchOptions& options,
                     std::size_t wanted, NameVerdicts& verdicts) {
  const auto count = static_cast<std::uint32_t>(index.names().size());
  const unsigned threads = passThreads(options.threads, count);
  // Below a depth limit names' counts are upper bounds: their entries are all counted instead.
  const bool listMatched = options.maxDepth != 0;
  std::vector<NamesFound> shares(threads, NamesFound(wanted, options.minScore));
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    search.test(begin, end, listMatched, verdicts, shares[share]);
  });
  NamesFound found = std::move(shares[0]);
  for (unsigned share = 1; share < threads; ++share) {
    found.hits.insert(found.hits.end(), shares[share].hits.begin(), shares[share].hits.end());
    found.matched.insert(found.matched.end(), shares[share].matched.begin(), shares[share].matched.end());
    found.entries += shares[share].entries;
  }
  if (options.maxDepth == 0) {
    ScoreBar bar(wanted, options.minScore);
    for (const NameHit& hit : found.hits)
      bar.add(hit.score, hit.entries);
    std::erase_if(found.hits, [&](const NameHit& hit) {
      if (hit.score >= bar.value()) return false;
      verdicts.verdicts[hit.name] = Verdict::notShown;
      return true;
    });
  }
  return found;
}

// Replaces each path match's rough score by its full one, over the cores.
void scorePaths(const PathSearch& search, const SearchOptions& options, std::vector<Candidate>& candidates) {
  const auto count = static_cast<std::uint32_t>(candidates.size());
  inShares(count, passThreads(options.threads, std::size_t{count} * kPathScoreCost),
           [&](std::uint32_t begin, std::uint32_t end, unsigned) {
             for (std::uint32_t k = begin; k < end; ++k)
               candidates[k].score = search.score(candidates[k]);
           });
}

}  // namespace

Matches fuzzySearch(const Index& index, std::string_view rawQuery, const SearchOptions& options) {
  if (rawQuery.size() > kMaxQuery) throw Error("The query is longer than 256 bytes.");
  const Query query = prepareQuery(rawQuery, options.matchCase);
  const auto count = static_cast<std::uint32_t>(index.entries().size());
  const std::size_t wanted = std::min<std::size_t>(std::uint64_t{options.offset} + options.limit, count);

  // Names first: each distinct name once, then the entries of the names worth showing.
  const NameSearch names(index, query, options, wanted);
  NameVerdicts verdicts(index.names().size());
  const NamesFound found = testNames(index, names, options, wanted, verdicts);
  // Without a depth limit only the shown names' entries are needed; with one, all are counted.
  std::vector<std::uint32_t> shown;
  if (options.maxDepth == 0) {
    for (const NameHit& hit : found.hits)
      shown.push_back(hit.name);
  }
  std::vector<Candidate> nameMatches;
  std::uint64_t counted = 0;
  names.gather(options.maxDepth == 0 ? shown : found.matched, verdicts, nameMatches, counted);
  // Without a depth limit the names' own counts are exact; with one, every entry was counted.
  const std::uint64_t nameTotal = options.maxDepth == 0 ? found.entries : counted;
  keepBest(index, nameMatches, wanted);

  // Matches through folder names, only when the names cannot fill the result.
  Matches matches;
  std::vector<Candidate> pathMatches;
  std::uint64_t pathTotal = 0;
  if (nameMatches.size() < wanted) {
    const PathSearch paths(index, query, options);
    // The rough score picks a shortlist; the full alignment over the path orders it.
    const std::size_t keep = (wanted - nameMatches.size()) * kPathShortlist;
    pathMatches = paths.collect(verdicts, keep, pathTotal);
    shortlist(pathMatches, keep);
    scorePaths(paths, options, pathMatches);
    std::erase_if(pathMatches, [&](const Candidate& c) { return c.score < options.minScore; });
    keepBest(index, pathMatches, wanted - nameMatches.size());
  }
  // Path matches were all looked for only when the names could not fill the result.
  matches.total = nameTotal >= wanted ? nameTotal : nameTotal + pathTotal;

  std::size_t skipped = 0;
  for (const auto* list : {&nameMatches, &pathMatches}) {
    for (const Candidate& candidate : *list) {
      if (matches.items.size() >= options.limit) break;
      if (skipped < options.offset) {
        ++skipped;
        continue;
      }
      matches.items.push_back({candidate.entry, candidate.score});
    }
  }
  return matches;
}

}  // namespace fff

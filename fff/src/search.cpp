#include "search.h"

#include <algorithm>
#include <queue>

#include "error.h"
#include "fuzzy.h"
#include "ranking.h"
#include "shares.h"

namespace fff {
namespace {

// Name matches sit in a band above every path match.
constexpr std::int32_t kNameBand = 100000;
constexpr std::int32_t kExactName = 400;
constexpr std::int32_t kExactStem = 300;
constexpr std::int32_t kNamePrefix = 50;
constexpr std::size_t kMaxQuery = 256;
// Path matches are ranked roughly first; this many times the wanted count are scored fully.
constexpr std::size_t kPathShortlist = 4;

// The verdict on each distinct name for one query: kNoMatch, kNotShown for a name that holds the
// query but scores too low to be shown, else the score its entries rank by. A name's score is
// always far above both markers: the band is 100,000 and no alignment within a name of at most
// 65,535 bytes loses that much.
constexpr std::int32_t kNoMatch = 0;
constexpr std::int32_t kNotShown = 1;

// A name holding the whole query whose entries may be shown.
struct NameHit {
  std::uint32_t name;
  std::int32_t score;
  std::uint32_t entries;
};

// What one thread found among the names.
struct NamesFound {
  std::vector<NameHit> hits;
  std::uint64_t entries = 0;  // entries of the wanted kind carrying a matching name
};

// What one thread found among the entries.
struct Collected {
  std::vector<Candidate> names;
  std::vector<Candidate> paths;
  std::uint64_t nameMatches = 0;
  std::uint64_t pathMatches = 0;
};

// How much of the query each folder's path consumes, worked out by one thread only for the
// folders it meets: a query whose names fill the result never needs it.
class FolderProgress {
 public:
  template <class Advance>
  std::size_t consumed(const Index& index, std::uint32_t slot, Advance&& advanceThrough) {
    if (known_.empty()) {
      known_.assign(index.directoryEntries().size(), kUnknown);
      known_[kRootDirectory] = 0;
    }
    if (known_[slot] != kUnknown) return known_[slot];
    const auto& folders = index.directoryEntries();
    const auto& entries = index.entries();
    // Climb to the nearest folder already known, then come back down.
    pending_.clear();
    for (std::uint32_t up = slot; known_[up] == kUnknown; up = entries[folders[up]].parent) {
      if (folders[up] == kNone) {
        known_[up] = 0;  // removed: nothing below it is searched
        break;
      }
      pending_.push_back(up);
    }
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
      const Entry& folder = entries[folders[*it]];
      known_[*it] = static_cast<std::uint16_t>(advanceThrough(folder, known_[folder.parent]));
    }
    return known_[slot];
  }

 private:
  // Folding at most triples a query of at most 256 bytes.
  static constexpr std::uint16_t kUnknown = UINT16_MAX;
  std::vector<std::uint16_t> known_;
  std::vector<std::uint32_t> pending_;
};

std::string_view stem(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

class Searcher {
 public:
  Searcher(const Index& index, const Query& query, const SearchOptions& options, std::size_t wanted)
      : index_(index), query_(query), options_(options), wanted_(wanted) {}

  // Tests the names [begin, end) against the whole query, each once however many entries carry
  // it, and records the verdict in `verdicts`. A name is aligned (scored) only while it could
  // still rank among the `wanted` best entries: its best possible score is known from the
  // query's length, and each scored name brings all its entries at once.
  void testNames(std::uint32_t begin, std::uint32_t end, std::vector<std::int32_t>& verdicts,
                 NamesFound& out) const {
    const NameTable& names = index_.names();
    const auto& masks = names.masks();
    const std::size_t m = query_.size();
    const std::uint32_t fullMask = query_.suffixMasks[0];
    const std::int32_t ceiling = kNameBand + maxNameAlignment(m);
    // Below a depth limit a name's entry count is only an upper bound: it cannot raise the bar.
    const bool countsExact = options_.maxDepth == 0;
    ScoreBar bar(wanted_, options_.minScore);
    for (std::uint32_t id = begin; id < end; ++id) {
      if ((fullMask & ~masks[id]) != 0) continue;
      const std::uint32_t carriers = options_.directoriesOnly ? names.folders(id) : names.entries(id);
      if (carriers == 0) continue;
      const std::string_view text = matchText(id);
      if (advance(query_, text, 0) != m) continue;
      verdicts[id] = kNotShown;
      out.entries += carriers;
      if (wanted_ == 0) continue;
      const std::int32_t bonus = nameBonus(text);
      const std::int32_t threshold = bar.value();
      if (ceiling + bonus < threshold) continue;
      const std::int32_t score = kNameBand + alignmentScore(query_, text, names.text(id), 0) + bonus;
      if (score < threshold) continue;
      verdicts[id] = score;
      out.hits.push_back({id, score, carriers});
      bar.add(score, countsExact ? carriers : 0);
    }
  }

  // Goes through the entries [begin, end): those whose name was scored become candidates, the
  // others (when `lookForPaths`) are matched through their folders' names. Name matches are
  // counted here only when `countNames` (a depth limit makes the names' counts inexact).
  void collect(std::uint32_t begin, std::uint32_t end, const std::vector<std::int32_t>& verdicts,
               bool countNames, bool lookForPaths, Collected& out) const {
    const auto& entries = index_.entries();
    const auto& masks = index_.names().masks();
    const std::size_t m = query_.size();
    // The worst of the best `wanted` so far: the heap's top.
    std::priority_queue<Candidate, std::vector<Candidate>, decltype(&ranksBefore)> best(ranksBefore);
    FolderProgress folders;
    std::vector<std::uint16_t> tails;
    const auto advanceThrough = [this](const Entry& entry, std::size_t matched) {
      return this->advanceThrough(entry, matched);
    };
    for (std::uint32_t i = begin; i < end; ++i) {
      const Entry& entry = entries[i];
      if (entry.kind == Kind::removed) continue;
      if (options_.directoriesOnly && entry.kind != Kind::directory) continue;
      if (options_.maxDepth != 0 && entry.depth >= options_.maxDepth) continue;
      const std::int32_t verdict = verdicts[entry.name];
      if (verdict != kNoMatch) {
        if (countNames) ++out.nameMatches;
        if (verdict == kNotShown) continue;
        const Candidate candidate{i, verdict, index_.details(i).pathLength};
        // Worse than all of a full heap: out, unless tied with its worst (then the path decides).
        if (best.size() == wanted_ && ranksBefore(best.top(), candidate) && !sameRank(best.top(), candidate))
          continue;
        out.names.push_back(candidate);
        best.push(candidate);
        if (best.size() > wanted_) best.pop();
        continue;
      }
      // Once this share alone holds enough name matches, no path match can be shown.
      if (!lookForPaths || best.size() == wanted_) continue;
      // A folder path that consumed nothing leaves the name alone to match, which just failed.
      const std::size_t before = folders.consumed(index_, entry.parent, advanceThrough);
      if (before == 0 && m > 0 && query_.text[0] != '/') continue;
      const std::size_t from = skipSlash(entry, before);
      if (from < m && (query_.suffixMasks[from] & ~masks[entry.name]) != 0) continue;
      // The rest of the query must be within the name: it is when the name holds the query's
      // end from `from` on, worked out once per name (from the right, which also ranks it).
      if (tails.empty()) tails.assign(index_.names().size(), kUnknownTail);
      std::uint16_t& tail = tails[entry.name];
      if (tail == kUnknownTail) tail = static_cast<std::uint16_t>(tailStart(matchText(entry.name)));
      if (from < tail) continue;
      ++out.pathMatches;
      out.paths.push_back({i, static_cast<std::int32_t>(m - tail), index_.details(i).pathLength});
    }
  }

  std::int32_t pathScore(const Candidate& candidate) const {
    const std::uint32_t name = index_.entries()[candidate.entry].name;
    std::string text;
    std::string original;
    if (query_.matchCase) {
      index_.appendPath(text, candidate.entry);
    } else {
      index_.appendFoldedPath(text, candidate.entry);
      index_.appendPath(original, candidate.entry);
    }
    const std::size_t nameStart = text.size() - matchText(name).size();
    return std::max(1, alignmentScore(query_, text, query_.matchCase ? text : original, nameStart));
  }

 private:
  static constexpr std::uint16_t kUnknownTail = UINT16_MAX;

  std::string_view matchText(std::uint32_t name) const {
    return query_.matchCase ? index_.names().text(name) : index_.names().folded(name);
  }

  // A "/" in the query matches between a folder and what it holds.
  std::size_t skipSlash(const Entry& entry, std::size_t matched) const {
    if (entry.parent != kRootDirectory && matched < query_.size() && query_.text[matched] == '/') ++matched;
    return matched;
  }

  std::size_t advanceThrough(const Entry& entry, std::size_t matched) const {
    return advance(query_, matchText(entry.name), skipSlash(entry, matched));
  }

  // Where the longest end of the query that `text` holds in order begins: the query's size when
  // it holds not even the last byte, 0 when it holds the whole query. Greedy from the right is
  // exact, so the rest of the query from `from` on is within the text exactly when `from` is at
  // least this.
  std::size_t tailStart(std::string_view text) const {
    const ByteTable& table = query_.table();
    std::size_t tail = query_.size();
    for (std::size_t j = text.size(); j-- > 0 && tail > 0;)
      if (table[static_cast<unsigned char>(text[j])] == static_cast<unsigned char>(query_.text[tail - 1]))
        --tail;
    return tail;
  }

  // Extra credit for a name that is the query, whose stem is, or that begins with it.
  std::int32_t nameBonus(std::string_view text) const {
    if (query_.size() == 0) return 0;
    const ByteTable& table = query_.table();
    const auto equalsQuery = [&](std::string_view part, std::size_t length) {
      if (part.size() < length) return false;
      for (std::size_t k = 0; k < length; ++k)
        if (table[static_cast<unsigned char>(part[k])] != static_cast<unsigned char>(query_.text[k]))
          return false;
      return true;
    };
    if (text.size() == query_.size() && equalsQuery(text, text.size())) return kExactName;
    if (stem(text).size() == query_.size() && equalsQuery(text, query_.size())) return kExactStem;
    if (equalsQuery(text, query_.size())) return kNamePrefix;
    return 0;
  }

  const Index& index_;
  const Query& query_;
  const SearchOptions& options_;
  std::size_t wanted_;
};

}  // namespace

Matches fuzzySearch(const Index& index, std::string_view rawQuery, const SearchOptions& options) {
  if (rawQuery.size() > kMaxQuery) throw Error("The query is longer than 256 bytes.");
  const Query query = prepareQuery(rawQuery, options.matchCase);
  const auto count = static_cast<std::uint32_t>(index.entries().size());
  const std::size_t wanted = std::min<std::size_t>(std::uint64_t{options.offset} + options.limit, count);
  const Searcher searcher(index, query, options, wanted);

  // Every distinct name once.
  const auto nameCount = static_cast<std::uint32_t>(index.names().size());
  std::vector<std::int32_t> verdicts(nameCount, kNoMatch);
  const unsigned nameThreads = passThreads(options.threads, nameCount);
  std::vector<NamesFound> found(nameThreads);
  inShares(nameCount, nameThreads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    searcher.testNames(begin, end, verdicts, found[share]);
  });
  std::uint64_t nameTotal = 0;
  std::uint64_t qualified = 0;  // entries whose name scored at least the minimum
  ScoreBar bar(wanted, options.minScore);
  for (const NamesFound& part : found) {
    nameTotal += part.entries;
    for (const NameHit& hit : part.hits) {
      qualified += hit.entries;
      bar.add(hit.score, hit.entries);
    }
  }
  const bool depthLimited = options.maxDepth != 0;
  if (!depthLimited) {
    // All shares' names together may raise the bar each share set alone.
    for (const NamesFound& part : found)
      for (const NameHit& hit : part.hits)
        if (hit.score < bar.value()) verdicts[hit.name] = kNotShown;
  }
  // Matches through folder names are looked for only when the names cannot fill the result.
  const bool lookForPaths = wanted > 0 && (depthLimited || qualified < wanted);

  // Then every entry once.
  const unsigned threads = passThreads(options.threads, count);
  std::vector<Collected> collected(threads);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    searcher.collect(begin, end, verdicts, depthLimited, lookForPaths, collected[share]);
  });
  Matches matches;
  std::vector<Candidate> nameMatches;
  std::vector<Candidate> pathMatches;
  if (depthLimited) nameTotal = 0;
  std::uint64_t pathTotal = 0;
  for (const Collected& part : collected) {
    nameMatches.insert(nameMatches.end(), part.names.begin(), part.names.end());
    pathMatches.insert(pathMatches.end(), part.paths.begin(), part.paths.end());
    nameTotal += part.nameMatches;
    pathTotal += part.pathMatches;
  }
  // Path matches were all looked for only when the names could not fill the result.
  matches.total = nameTotal >= wanted ? nameTotal : nameTotal + pathTotal;

  keepBest(index, nameMatches, wanted);
  if (nameMatches.size() < wanted && !pathMatches.empty()) {
    // The rough score picks a shortlist; the full alignment over the path orders it.
    shortlist(pathMatches, (wanted - nameMatches.size()) * kPathShortlist);
    for (Candidate& candidate : pathMatches)
      candidate.score = searcher.pathScore(candidate);
    std::erase_if(pathMatches, [&](const Candidate& c) { return c.score < options.minScore; });
    keepBest(index, pathMatches, wanted - nameMatches.size());
  } else {
    pathMatches.clear();
  }

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

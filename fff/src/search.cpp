#include "search.h"

#include <algorithm>
#include <functional>
#include <queue>

#include "error.h"
#include "fuzzy.h"
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
constexpr std::size_t kRememberedNames = 4096;

struct Candidate {
  std::uint32_t entry;
  std::int32_t score;
  std::uint16_t pathLength;
};

// One remembered alignment of a name.
struct Remembered {
  std::string_view text;
  std::int32_t score = 0;
};

// What one thread found in its share of the entries.
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
    const auto& hot = index.hot();
    // Climb to the nearest folder already known, then come back down.
    pending_.clear();
    for (std::uint32_t up = slot; known_[up] == kUnknown; up = hot[folders[up]].parent) {
      if (folders[up] == kNone) {
        known_[up] = 0;  // removed: nothing below it is searched
        break;
      }
      pending_.push_back(up);
    }
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
      const std::uint32_t at = folders[*it];
      known_[*it] = static_cast<std::uint16_t>(advanceThrough(at, hot[at], known_[hot[at].parent]));
    }
    return known_[slot];
  }

 private:
  static constexpr std::uint16_t kUnknown = UINT16_MAX;  // queries are at most 256 bytes
  std::vector<std::uint16_t> known_;
  std::vector<std::uint32_t> pending_;
};

// Best score first, then the shorter path; the entry index only makes selection total.
bool ranksBefore(const Candidate& a, const Candidate& b) {
  if (a.score != b.score) return a.score > b.score;
  if (a.pathLength != b.pathLength) return a.pathLength < b.pathLength;
  return a.entry < b.entry;
}

bool sameRank(const Candidate& a, const Candidate& b) {
  return a.score == b.score && a.pathLength == b.pathLength;
}

std::string_view stem(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

class Searcher {
 public:
  Searcher(const Index& index, const Query& query, const SearchOptions& options)
      : index_(index), query_(query), options_(options) {}

  // Name matches with their score, and path matches with a rough score to shortlist them.
  // Once `wanted` name matches are in hand, a name whose best possible score is below all of
  // them is not aligned at all, and path matches are no longer looked for: they could not be
  // shown.
  void collect(std::uint32_t begin, std::uint32_t end, std::size_t wanted, Collected& out) {
    const auto& entries = index_.hot();
    const std::size_t m = query_.size();
    const std::uint32_t fullMask = query_.suffixMasks[0];
    const std::int32_t ceiling = kNameBand + maxNameAlignment(m);
    // The worst of the best `wanted` so far: the heap's top.
    std::priority_queue<Candidate, std::vector<Candidate>, decltype(&ranksBefore)> best(ranksBefore);
    std::int32_t threshold = options_.minScore;
    std::vector<Remembered> remembered;
    FolderProgress folders;
    const auto advanceThrough = [this](std::uint32_t at, const HotEntry& hot, std::size_t matched) {
      return this->advanceThrough(at, hot, matched);
    };
    for (std::uint32_t i = begin; i < end; ++i) {
      const HotEntry& entry = entries[i];
      if (entry.kind == Kind::removed) continue;
      if (options_.directoriesOnly && entry.kind != Kind::directory) continue;
      if (options_.maxDepth != 0 && index_.entries()[i].depth >= options_.maxDepth) continue;
      const std::string_view text = matchText(i, entry);
      if ((fullMask & ~entry.charMask) == 0 && advance(query_, text, 0) == m) {
        ++out.nameMatches;
        const std::int32_t bonus = nameBonus(text);
        if (wanted == 0 || ceiling + bonus < threshold) continue;
        const Entry& full = index_.entries()[i];
        const Candidate candidate{i, kNameBand + nameAlignment(text, entry, full, remembered) + bonus,
                                  full.pathLength};
        if (candidate.score < threshold) continue;
        // Worse than all of a full heap: out, unless tied with its worst (then the path decides).
        if (best.size() == wanted && ranksBefore(best.top(), candidate) && !sameRank(best.top(), candidate))
          continue;
        out.names.push_back(candidate);
        best.push(candidate);
        if (best.size() > wanted) best.pop();
        if (best.size() == wanted) threshold = std::max(threshold, best.top().score);
        continue;
      }
      if (best.size() == wanted) continue;
      // A folder path that consumed nothing leaves the name alone to match, which just failed.
      const std::size_t before = folders.consumed(index_, entry.parent, advanceThrough);
      if (before == 0 && m > 0 && query_.text[0] != '/') continue;
      if (before < m && (query_.suffixMasks[before] & ~entry.charMask) != 0) continue;
      if (advanceThrough(i, entry, before) != m) continue;
      ++out.pathMatches;
      out.paths.push_back({i, roughPathScore(text), index_.entries()[i].pathLength});
    }
  }

  std::int32_t pathScore(const Candidate& candidate) const {
    const Entry& entry = index_.entries()[candidate.entry];
    std::string text;
    std::string original;
    if (query_.matchCase) {
      index_.appendPath(text, candidate.entry);
    } else {
      index_.appendFoldedPath(text, candidate.entry);
      index_.appendPath(original, candidate.entry);
    }
    const std::size_t nameStart = text.size() - (query_.matchCase ? entry.nameLength : entry.foldLength);
    return std::max(1, alignmentScore(query_, text, query_.matchCase ? text : original, nameStart));
  }

 private:
  std::string_view matchText(std::uint32_t at, const HotEntry& entry) const {
    return query_.matchCase ? index_.name(at, entry) : index_.folded(entry);
  }

  std::size_t advanceThrough(std::uint32_t at, const HotEntry& entry, std::size_t matched) const {
    if (entry.parent != kRootDirectory && matched < query_.size() && query_.text[matched] == '/') ++matched;
    return advance(query_, matchText(at, entry), matched);
  }

  // Trees repeat names ("__init__.py", "README.md", "index.js") by the thousand, so a thread
  // keeps the alignments it has computed in a small table indexed by a hash of the name. Only
  // names stored once qualify: for them the folded text is the name, which also decides the
  // case-change bonus.
  std::int32_t nameAlignment(std::string_view text, const HotEntry& entry, const Entry& full,
                             std::vector<Remembered>& remembered) const {
    if (!entry.foldIsName) return alignmentScore(query_, text, index_.name(full), 0);
    if (remembered.empty()) remembered.resize(kRememberedNames);
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text)
      hash = (hash ^ c) * 16777619u;
    Remembered& slot = remembered[hash % kRememberedNames];
    if (slot.text == text) return slot.score;
    slot = {text, alignmentScore(query_, text, text, 0)};
    return slot.score;
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

  // Counts the query's last bytes found, from the right, in the name: the more of the query
  // the name holds, the better the match.
  std::int32_t roughPathScore(std::string_view text) const {
    const ByteTable& table = query_.table();
    std::size_t found = 0;
    const std::size_t m = query_.size();
    for (std::size_t j = text.size(); j-- > 0 && found < m;)
      if (table[static_cast<unsigned char>(text[j])] ==
          static_cast<unsigned char>(query_.text[m - 1 - found]))
        ++found;
    return static_cast<std::int32_t>(found);
  }

  const Index& index_;
  const Query& query_;
  const SearchOptions& options_;
};

// Keeps `wanted` of the best candidates, in no particular order and whatever their ties.
void shortlist(std::vector<Candidate>& candidates, std::size_t wanted) {
  if (candidates.size() <= wanted) return;
  std::nth_element(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(wanted),
                   candidates.end(), ranksBefore);
  candidates.resize(wanted);
}

// Keeps the `wanted` best candidates in order. Candidates of equal score and length are ordered
// by path, so those tied with the last one kept are all considered before any is dropped.
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

}  // namespace

Matches fuzzySearch(const Index& index, std::string_view rawQuery, const SearchOptions& options) {
  if (rawQuery.size() > kMaxQuery) throw Error("The query is longer than 256 bytes.");
  const Query query = prepareQuery(rawQuery, options.matchCase);
  Searcher searcher(index, query, options);

  const auto count = static_cast<std::uint32_t>(index.entries().size());
  const std::size_t wanted = std::min<std::size_t>(std::uint64_t{options.offset} + options.limit, count);
  const unsigned threads = passThreads(options.threads, count);
  std::vector<Collected> collected(threads);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    searcher.collect(begin, end, wanted, collected[share]);
  });
  Matches matches;
  std::vector<Candidate> nameMatches;
  std::vector<Candidate> pathMatches;
  std::uint64_t nameTotal = 0;
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

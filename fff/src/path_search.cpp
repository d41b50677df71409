#include "path_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <queue>
#include <string>

#include "shares.h"

namespace fff {
namespace {

// Per name and query, its tail (see tailStart), worked out when an entry first needs it. Until
// then it is 0, which any start reaches, so that the letter mask alone decides; a name holding
// the whole query has a tail of 0 and is a name match, so 0 never needs to mean anything else.
// Names whose entries are name matches are marked to be skipped: no start reaches the mark.
template <class Tail>
constexpr Tail kUnknown = 0;
template <class Tail>
constexpr Tail kSkip = std::numeric_limits<Tail>::max();

// Entries are sifted this many at a time into a list of those that may match; memory read at
// random is asked for this many places ahead.
constexpr std::uint32_t kSift = 512;
constexpr std::uint32_t kAhead = 8;

// A folder's start before it is worked out: above any query's size.
constexpr std::uint16_t kStartUnknown = std::numeric_limits<std::uint16_t>::max();

}  // namespace

PathSearch::PathSearch(const Index& index, const Query& query, const SearchOptions& options)
    : index_(index), query_(query), options_(options) {
  bits_.reserve(query.size());
  std::array<std::uint16_t, 64> after{};  // per bit, one past its last position in the query
  for (std::size_t k = 0; k < query.size(); ++k) {
    const CharMask bit = charBit(static_cast<std::uint8_t>(query.text[k]));
    bits_.push_back(bit);
    if (bit != 0) after[static_cast<std::size_t>(__builtin_ctzll(bit))] = static_cast<std::uint16_t>(k + 1);
  }
  for (std::size_t part = 0; part < afterMissing_.size(); ++part)
    for (std::size_t bits = 1; bits < 256; ++bits)
      afterMissing_[part][bits] = std::max(afterMissing_[part][bits & (bits - 1)],
                                           after[8 * part + static_cast<std::size_t>(__builtin_ctz(bits))]);
}

// How far a folder's name carries the query matched up to `matched` before it.
inline std::uint16_t PathSearch::afterFolder(std::uint32_t name, std::size_t matched) const {
  const std::size_t m = query_.size();
  // A name without the next byte wanted leaves the progress where it was.
  if (matched < m && (bits_[matched] & index_.names().masks()[name]) != 0) {
    matched = withPositions(matchText(name), !query_.matchCase,
                            [&](const auto& positions) { return advance(query_, positions, matched); });
  }
  // A "/" in the query matches between this folder and what it holds.
  if (matched < m && query_.text[matched] == '/') ++matched;
  return static_cast<std::uint16_t>(matched);
}

// For each directory slot, how much of the query is matched before the names of the entries it
// holds: what its path consumes, and a "/" of the query after that. 0 for the root (whose
// entries have no folders to help them) and for removed folders.
std::vector<std::uint16_t> PathSearch::folderStarts() const {
  const auto count = static_cast<std::uint32_t>(index_.folders().size());
  std::vector<std::uint16_t> starts(count, kStartUnknown);
  starts[kRootDirectory] = 0;
  // A folder's slot always follows its parent's: a thread going through slots in order meets
  // most parents first, and works out the others' on the way (the same value whichever thread
  // writes it).
  inShares(count, passThreads(options_.threads, index_.entries().size()),
           [&](std::uint32_t begin, std::uint32_t end, unsigned) {
             const Folder* const folders = index_.folders().data();
             std::uint16_t* const startOf = starts.data();
             for (std::uint32_t slot = std::max(begin, kRootDirectory + 1); slot < end; ++slot) {
               const Folder folder = folders[slot];
               std::uint16_t start = 0;  // for a removed folder
               if (folder.name != kNone) {
                 const std::uint16_t parentStart =
                     std::atomic_ref<std::uint16_t>(startOf[folder.parent]).load(std::memory_order_relaxed);
                 start = parentStart != kStartUnknown ? afterFolder(folder.name, parentStart)
                                                      : startThroughParents(slot, starts);
               }
               std::atomic_ref<std::uint16_t>(startOf[slot]).store(start, std::memory_order_relaxed);
             }
           });
  return starts;
}

// A folder's start when its parent's is not known yet: up to the nearest folder whose start is
// known (removed folders start at 0), and down again, keeping the starts on the way.
std::uint16_t PathSearch::startThroughParents(std::uint32_t slot, std::vector<std::uint16_t>& starts) const {
  const auto& folders = index_.folders();
  const auto startAt = [&](std::uint32_t at) { return std::atomic_ref<std::uint16_t>(starts[at]); };
  std::vector<std::uint32_t> chain;
  std::uint16_t matched = 0;
  for (std::uint32_t up = slot;; up = folders[up].parent) {
    const std::uint16_t known = startAt(up).load(std::memory_order_relaxed);
    if (known != kStartUnknown) {
      matched = known;
      break;
    }
    if (folders[up].name == kNone) break;
    chain.push_back(up);
  }
  for (auto down = chain.rbegin(); down != chain.rend(); ++down) {
    matched = afterFolder(folders[*down].name, matched);
    startAt(*down).store(matched, std::memory_order_relaxed);
  }
  return matched;
}

std::vector<Candidate> PathSearch::collect(const NameVerdicts& verdicts, std::size_t keep,
                                           std::uint64_t& total) const {
  const std::size_t m = query_.size();
  // Every name holds an empty query.
  if (m == 0 || keep == 0) return {};
  const std::vector<std::uint16_t> starts = folderStarts();
  // No folder consumed anything: only names could hold the query, and they were tested.
  if (std::all_of(starts.begin(), starts.end(), [](std::uint16_t start) { return start == 0; })) return {};
  // A byte a name when the query's size fits below the skip mark.
  if (m < kSkip<std::uint8_t>) return collectWith<std::uint8_t>(starts, verdicts, keep, total);
  return collectWith<std::uint16_t>(starts, verdicts, keep, total);
}

template <class Tail>
std::vector<Candidate> PathSearch::collectWith(const std::vector<std::uint16_t>& starts,
                                               const NameVerdicts& verdicts, std::size_t keep,
                                               std::uint64_t& total) const {
  const auto names = static_cast<std::uint32_t>(index_.names().size());
  std::vector<Tail> tails(names);
  const auto count = static_cast<std::uint32_t>(index_.entries().size());
  const unsigned threads = passThreads(options_.threads, count);
  inShares(names, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned) {
    const Verdict* const verdictOf = verdicts.verdicts.data();
    Tail* const tailOf = tails.data();
    for (std::uint32_t name = begin; name < end; ++name)
      tailOf[name] = verdictOf[name] == Verdict::noMatch ? kUnknown<Tail> : kSkip<Tail>;
  });
  std::vector<std::vector<Candidate>> shares(threads);
  std::vector<std::uint64_t> counted(threads, 0);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    collectEntries(begin, end, starts, tails, keep, shares[share], counted[share]);
  });
  std::vector<Candidate> found;
  for (unsigned share = 0; share < threads; ++share) {
    found.insert(found.end(), shares[share].begin(), shares[share].end());
    total += counted[share];
  }
  return found;
}

// Goes through the entries [begin, end): an entry's path holds the query when its folder's
// start reaches its name's tail. Tails are worked out as entries need them, by any thread (the
// same value whichever writes it). Keeps the best `keep` by the rough score.
template <class Tail>
void PathSearch::collectEntries(std::uint32_t begin, std::uint32_t end,
                                const std::vector<std::uint16_t>& starts, std::vector<Tail>& tails,
                                std::size_t keep, std::vector<Candidate>& out, std::uint64_t& counted) const {
  // Plain pointers and copies: the loop's stores could otherwise alias them all.
  const Entry* const entries = index_.entries().data();
  const NameTable& names = index_.names();
  const CharMask* const masks = names.masks().data();
  const CharMask* const suffixMasks = query_.suffixMasks.data();
  const std::uint16_t* const startOf = starts.data();
  Tail* const tailOf = tails.data();
  const auto m = static_cast<std::uint16_t>(query_.size());
  const bool ignoreCase = !query_.matchCase;
  // Which kinds are wanted, and the depth entries must stay below.
  std::array<bool, 3> kindWanted{};
  kindWanted[static_cast<std::size_t>(Kind::file)] = !options_.directoriesOnly;
  kindWanted[static_cast<std::size_t>(Kind::directory)] = true;
  const std::uint32_t depthBelow = options_.maxDepth == 0 ? UINT32_MAX : options_.maxDepth;
  const auto tailAt = [&](std::uint32_t name) {
    return std::atomic_ref<Tail>(tailOf[name]).load(std::memory_order_relaxed);
  };
  std::uint64_t matches = 0;
  std::uint64_t wholeMatches = 0;
  // The worst of the best `keep` so far: the heap's top.
  std::priority_queue<Candidate, std::vector<Candidate>, decltype(&ranksBefore)> best(ranksBefore);
  std::array<std::uint32_t, kSift> sifted;
  for (std::uint32_t from = begin; from < end; from += kSift) {
    // First the entries that may match: whether one does is as likely as not, so they are
    // sifted without branches. A folder's start must be past nothing, reach the name's tail,
    // and hold the bytes its letter mask says the name holds. Entries within a folder that
    // consumed the whole query all match, and are counted here; they are sifted only when
    // their name's tail could reach `bar`, as it must for them to rank among the best kept.
    const auto bar = static_cast<std::uint16_t>(best.size() == keep ? m - best.top().score : m);
    std::size_t count = 0;
    const std::uint32_t to = std::min<std::uint32_t>(end, from + kSift);
    for (std::uint32_t at = from; at < to; ++at) {
      const Entry& entry = entries[at];
      const std::uint16_t start = startOf[entry.parent];
      // Most folders' starts are 0 for most queries, or for few: this one is foreseen.
      if (start == 0) continue;
      const bool wanted = kindWanted[static_cast<std::size_t>(entry.kind)] & (entry.depth < depthBelow);
      const Tail tail = tailAt(entry.name);
      const bool whole = start >= m;
      const std::uint16_t reach = whole ? bar : start;
      // Reaches never pass the query's size, where the suffix mask is empty.
      const bool byMask = (suffixMasks[reach] & ~masks[entry.name]) == 0;
      wholeMatches += wanted & whole & (tail != kSkip<Tail>);
      sifted[count] = at;
      count += wanted & byMask & (reach >= tail);
    }
    for (std::size_t k = 0; k < count; ++k) {
      // Texts are read only for tails not yet known; records first, as the text's place is in them.
      if (k + 2 * kAhead < count) {
        const std::uint32_t ahead = entries[sifted[k + 2 * kAhead]].name;
        if (tailAt(ahead) == kUnknown<Tail>) names.prefetchRecord(ahead);
      }
      if (k + kAhead < count) {
        const std::uint32_t ahead = entries[sifted[k + kAhead]].name;
        if (tailAt(ahead) == kUnknown<Tail>) names.prefetchText(ahead, ignoreCase);
      }
      const std::uint32_t at = sifted[k];
      const Entry& entry = entries[at];
      const std::uint16_t start = startOf[entry.parent];
      std::int32_t tail = tailAt(entry.name);
      if (tail == kUnknown<Tail>) {
        // Within a folder that consumed the whole query every entry matches; its tail only
        // ranks it, so it is not worked out when even the mask's bound could not be kept.
        if (start >= m && best.size() == keep) {
          const Candidate bound{at, m - static_cast<std::int32_t>(maskTail(entry.name)), entry.pathLength};
          if (!ranksBefore(bound, best.top())) continue;
        }
        tail = static_cast<std::int32_t>(exactTail(entry.name));
        std::atomic_ref<Tail>(tailOf[entry.name]).store(static_cast<Tail>(tail), std::memory_order_relaxed);
      }
      // Sifted by the mask, or by a tail another entry has since worked out.
      if (start < tail) continue;
      matches += start < m;
      const Candidate candidate{at, m - tail, entry.pathLength};
      if (best.size() == keep && !ranksBefore(candidate, best.top())) continue;
      best.push(candidate);
      if (best.size() > keep) best.pop();
    }
  }
  counted += matches + wholeMatches;
  for (; !best.empty(); best.pop())
    out.push_back(best.top());
}

// A lower bound on the tail from the letter mask alone: where the query's longest end whose
// bytes are all among the name's begins, just past the last query byte the name lacks.
std::size_t PathSearch::maskTail(std::uint32_t name) const {
  const CharMask missing = query_.suffixMasks[0] & ~index_.names().masks()[name];
  std::uint16_t tail = 0;
  for (std::size_t part = 0; part < afterMissing_.size(); ++part)
    tail = std::max(tail, afterMissing_[part][(missing >> (8 * part)) & 0xff]);
  return tail;
}

std::size_t PathSearch::exactTail(std::uint32_t name) const {
  return withPositions(matchText(name), !query_.matchCase,
                       [&](const auto& positions) { return tailStart(query_, positions); });
}

std::int32_t PathSearch::score(const Candidate& candidate) const {
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

}  // namespace fff

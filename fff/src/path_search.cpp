#include "path_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
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

// Starts every name's tail as unknown, or as skipped for a name match.
template <class Tail>
void markNameMatches(const Verdict* verdicts, Tail* tails, std::size_t count) {
  std::size_t k = 0;
  if constexpr (sizeof(Tail) == 1) {
    static_assert(static_cast<int>(Verdict::noMatch) == 0 && kUnknown<Tail> == 0 && kSkip<Tail> == 0xff);
    // Eight names at a time, as the compiler does not: a byte becomes 0xff exactly when it is
    // not 0 (its top bit, or a carry out of its low seven bits, says so).
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
    for (; k + 8 <= count; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, verdicts + k, sizeof word);
      const std::uint64_t tops = (((word & kLow7) + kLow7) | word) & ~kLow7;
      const std::uint64_t marks = (tops >> 7) * 0xff;
      std::memcpy(tails + k, &marks, sizeof marks);
    }
  }
  for (; k < count; ++k)
    tails[k] = verdicts[k] == Verdict::noMatch ? kUnknown<Tail> : kSkip<Tail>;
}

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

// For each directory slot, how much of the query is matched before the names of the entries it
// holds: what its path consumes, and a "/" of the query after that. 0 for the root (whose
// entries have no folders to help them) and for removed folders.
std::vector<std::uint16_t> PathSearch::folderStarts() const {
  const auto& folders = index_.folders();
  const auto& masks = index_.names().masks();
  const std::size_t m = query_.size();
  std::vector<std::uint16_t> starts(folders.size(), 0);
  // A folder's slot always follows its parent's: one pass in slot order meets parents first.
  const auto count = static_cast<std::uint32_t>(folders.size());
  for (std::uint32_t slot = kRootDirectory + 1; slot < count; ++slot) {
    const Folder& folder = folders[slot];
    if (folder.name == kNone) continue;
    std::size_t matched = starts[folder.parent];
    // A name without the next byte wanted leaves the progress where it was.
    if (matched < m && (bits_[matched] & masks[folder.name]) != 0) {
      matched = withPositions(matchText(folder.name), !query_.matchCase,
                              [&](const auto& positions) { return advance(query_, positions, matched); });
    }
    // A "/" in the query matches between this folder and what it holds.
    if (matched < m && query_.text[matched] == '/') ++matched;
    starts[slot] = static_cast<std::uint16_t>(matched);
  }
  return starts;
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
  const auto tails = std::make_unique_for_overwrite<Tail[]>(names);
  markNameMatches(verdicts.verdicts.data(), tails.get(), names);
  const auto count = static_cast<std::uint32_t>(index_.entries().size());
  const unsigned threads = passThreads(options_.threads, count);
  std::vector<std::vector<Candidate>> shares(threads);
  std::vector<std::uint64_t> counted(threads, 0);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    collectEntries(begin, end, starts, tails.get(), keep, shares[share], counted[share]);
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
                                const std::vector<std::uint16_t>& starts, Tail* tails, std::size_t keep,
                                std::vector<Candidate>& out, std::uint64_t& counted) const {
  // Plain pointers and copies: the loop's stores could otherwise alias them all.
  const Entry* const entries = index_.entries().data();
  const NameTable& names = index_.names();
  const CharMask* const masks = names.masks().data();
  const CharMask* const suffixMasks = query_.suffixMasks.data();
  const std::uint16_t* const startOf = starts.data();
  const auto m = static_cast<std::uint16_t>(query_.size());
  const bool ignoreCase = !query_.matchCase;
  // Which kinds are wanted, and the depth entries must stay below.
  std::array<bool, 3> kindWanted{};
  kindWanted[static_cast<std::size_t>(Kind::file)] = !options_.directoriesOnly;
  kindWanted[static_cast<std::size_t>(Kind::directory)] = true;
  const std::uint32_t depthBelow = options_.maxDepth == 0 ? UINT32_MAX : options_.maxDepth;
  const auto tailAt = [&](std::uint32_t name) {
    return std::atomic_ref<Tail>(tails[name]).load(std::memory_order_relaxed);
  };
  std::uint64_t matches = 0;
  std::uint64_t wholeMatches = 0;
  // The worst of the best `keep` so far: the heap's top.
  BestCandidates best;
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
        std::atomic_ref<Tail>(tails[entry.name]).store(static_cast<Tail>(tail), std::memory_order_relaxed);
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

#include "glob_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "error.h"
#include "glob.h"
#include "shares.h"

namespace fff {
namespace {

bool kindWanted(const Entry& entry, const GlobOptions& options) {
  if (entry.kind == Kind::removed) return false;
  if (options.filesOnly && entry.kind != Kind::file) return false;
  return !options.directoriesOnly || entry.kind == Kind::directory;
}

// Whether any live entry of the wanted kind carries the name.
bool carried(const NameTable& names, std::uint32_t id, const GlobOptions& options) {
  if (options.directoriesOnly) return names.folders(id) > 0;
  if (options.filesOnly) return names.entries(id) > names.folders(id);
  return names.entries(id) > 0;
}

// Patterns answered by one pass: one bit each in a name's verdict.
constexpr std::size_t kPatternsPerPass = 8;
// Bit k set: a path ending in the name may match the pass's pattern k. Not a character type,
// which the compiler would have to assume aliases everything a loop reads.
enum class Fits : std::uint8_t {};

constexpr Fits bit(std::size_t k) {
  return static_cast<Fits>(1u << k);
}
constexpr bool has(Fits fits, std::size_t k) {
  return (static_cast<unsigned>(fits) >> k & 1u) != 0;
}
constexpr Fits operator|(Fits a, Fits b) {
  return static_cast<Fits>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Extension keys a name must have to be read: the keys of the extensions a pattern fixes.
class KeyFilter {
 public:
  explicit KeyFilter(std::vector<std::uint32_t> keys) : keys_(std::move(keys)) {
    std::sort(keys_.begin(), keys_.end());
    keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    if (!keys_.empty()) few_.fill(keys_.front());
    std::copy_n(keys_.begin(), std::min(keys_.size(), few_.size()), few_.begin());
  }

  // The keys of the extensions the glob fixes; nothing when a name of any extension may match.
  static std::optional<KeyFilter> of(const Glob& glob) {
    const auto extensions = glob.extensions();
    if (!extensions) return std::nullopt;
    std::vector<std::uint32_t> keys;
    for (const std::string& extension : *extensions)
      keys.push_back(NameTable::extensionKey(extension));
    return KeyFilter(std::move(keys));
  }

  const std::vector<std::uint32_t>& keys() const { return keys_; }
  bool admits(std::uint32_t key) const {
    if (keys_.size() > few_.size()) return std::binary_search(keys_.begin(), keys_.end(), key);
    const auto [a, b, c, d] = few_;
    return key == a || key == b || key == c || key == d;
  }
  // The keys, unused places repeating the first, when there are no more than four.
  std::optional<std::array<std::uint32_t, 4>> few() const {
    if (keys_.size() > few_.size()) return std::nullopt;
    return few_;
  }

 private:
  std::vector<std::uint32_t> keys_;
  std::array<std::uint32_t, 4> few_{};
};

// For each distinct name, whether a path ending in it may match each pattern; and how many
// live entries carry the names that may match one.
struct NameFits {
  std::vector<Fits> fits;
  std::uint64_t carriers = 0;
};

// Tests each distinct name once however many entries carry it. When a pattern looks at the
// name alone the answer is final. When every pattern fixes the names' extensions, only names
// with those extensions' keys are read.
NameFits nameVerdicts(const NameTable& names, std::span<const Glob* const> globs,
                      const GlobOptions& options) {
  const auto count = static_cast<std::uint32_t>(names.size());
  std::vector<std::optional<KeyFilter>> filters;
  std::vector<std::uint32_t> anyKey;
  Fits open{};  // the patterns that let a name of any extension match
  for (std::size_t k = 0; k < globs.size(); ++k) {
    filters.push_back(KeyFilter::of(*globs[k]));
    if (filters.back())
      anyKey.insert(anyKey.end(), filters.back()->keys().begin(), filters.back()->keys().end());
    else
      open = open | bit(k);
  }
  const Fits all = static_cast<Fits>((1u << globs.size()) - 1);
  // A lone pattern's extensions are checked once, below, before the name is tested.
  const bool eachKeyed = open != all && globs.size() > 1;
  const std::uint32_t* const keyOf = names.extensions().data();
  // The bytes a name that any pattern may match can begin with: most names are turned away
  // once, not once per pattern.
  std::array<bool, 256> begins{};
  for (unsigned byte = 0; byte < begins.size(); ++byte)
    begins[byte] = std::any_of(globs.begin(), globs.end(), [byte](const Glob* glob) {
      return glob->mayBeginWith(static_cast<unsigned char>(byte));
    });
  const unsigned threads = passThreads(options.threads, count);
  std::vector<Fits> fits(count, Fits{});
  // Counted by each thread apart, range by range; the threads allocate nothing, so that a pass
  // leaves no memory in their malloc arenas.
  std::vector<std::uint64_t> carriers(threads, 0);
  const auto visit = [&](std::uint32_t id, std::uint64_t& carriersSeen) {
    const std::string_view name = names.text(id);
    Fits may = eachKeyed ? open : all;
    if (eachKeyed)
      for (std::size_t k = 0; k < filters.size(); ++k)
        if (filters[k] && filters[k]->admits(keyOf[id])) may = may | bit(k);
    if (may == Fits{} || !carried(names, id, options)) return;
    Fits fit{};
    for (auto left = static_cast<unsigned>(may); left != 0; left &= left - 1) {
      const auto k = static_cast<std::size_t>(std::countr_zero(left));
      const Glob& glob = *globs[k];
      if (!glob.rejectsName(name) && (!glob.nameOnly() || glob.matchesName(name))) fit = fit | bit(k);
    }
    fits[id] = fit;
    if (fit != Fits{}) carriersSeen += names.entries(id);
  };
  const KeyFilter some(anyKey);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned thread) {
    std::uint64_t share = 0;
    // When every pattern fixes extensions, only names with one of theirs are read (a few keys
    // compared in a row); otherwise only names whose first byte some pattern allows.
    if (open != Fits{}) {
      for (std::uint32_t id = begin; id < end; ++id) {
        const std::string_view name = names.text(id);
        if (name.empty() || begins[static_cast<unsigned char>(name.front())]) visit(id, share);
      }
    } else if (const auto few = some.few()) {
      const auto [a, b, c, d] = *few;
      for (std::uint32_t id = begin; id < end; ++id) {
        const std::uint32_t key = keyOf[id];
        if (key == a || key == b || key == c || key == d) visit(id, share);
      }
    } else {
      for (std::uint32_t id = begin; id < end; ++id)
        if (some.admits(keyOf[id])) visit(id, share);
    }
    carriers[thread] += share;
  });
  return {.fits = std::move(fits),
          .carriers = std::accumulate(carriers.begin(), carriers.end(), std::uint64_t{0})};
}

// The names that fit some pattern: eight verdicts read at a time, as most fit none.
std::vector<std::uint32_t> fittingNames(const std::vector<Fits>& fits) {
  std::vector<std::uint32_t> names;
  std::size_t id = 0;
  for (; id + 8 <= fits.size(); id += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, fits.data() + id, sizeof eight);
    if (eight == 0) continue;
    for (std::size_t k = id; k < id + 8; ++k)
      if (fits[k] != Fits{}) names.push_back(static_cast<std::uint32_t>(k));
  }
  for (; id < fits.size(); ++id)
    if (fits[id] != Fits{}) names.push_back(static_cast<std::uint32_t>(id));
  return names;
}

// The whole path of an entry whose name may match.
bool pathMatches(const Index& index, const Glob& glob, std::uint32_t at,
                 std::vector<std::string_view>& components) {
  if (!glob.acceptsDepth(std::size_t{index.entries()[at].depth} + 1)) return false;
  if (glob.depthDecides()) return true;
  components.clear();
  for (std::uint32_t up = at; up != kNone; up = index.directory(index.entries()[up].parent).entry)
    components.push_back(index.name(up));
  std::reverse(components.begin(), components.end());
  return glob.matches(components);
}

struct Found {
  std::uint32_t entry;
  std::int64_t modified;
};

// Orders a set of matches by path, building each path once.
void sortByPath(const Index& index, std::vector<Found>& found) {
  std::vector<std::pair<std::string, Found>> keyed;
  keyed.reserve(found.size());
  for (const Found& item : found)
    keyed.emplace_back(index.path(item.entry), item);
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t k = 0; k < found.size(); ++k)
    found[k] = keyed[k].second;
}

// Whether the entry's path sorts before `bound` (bytes, unsigned), read from the root down and
// decided at the first byte that differs: most entries of a large set of matches are decided by
// their top folders' names, without their whole path being built. `chain` is room for the
// entry's folders.
bool pathBefore(const Index& index, std::uint32_t entry, std::string_view bound,
                std::vector<std::uint32_t>& chain) {
  chain.clear();
  for (std::uint32_t at = entry; at != kNone; at = index.directory(index.entries()[at].parent).entry)
    chain.push_back(at);
  std::size_t offset = 0;
  for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
    if (at != chain.rbegin()) {
      if (offset == bound.size()) return false;
      if (bound[offset] != '/')
        return static_cast<unsigned char>('/') < static_cast<unsigned char>(bound[offset]);
      ++offset;
    }
    const std::string_view name = index.name(*at);
    const std::size_t common = std::min(name.size(), bound.size() - offset);
    if (const int order = std::memcmp(name.data(), bound.data() + offset, common); order != 0)
      return order < 0;
    if (common < name.size()) return false;
    offset += name.size();
  }
  return offset < bound.size();
}

// Keeps only the first `wanted` matches by path, in order: a limited glob over a large tree
// (a name prefix matching tens of thousands of entries) neither keeps nor sorts the others' paths.
void firstByPath(const Index& index, std::vector<Found>& found, std::size_t wanted) {
  if (wanted >= found.size()) {
    sortByPath(index, found);
    return;
  }
  if (wanted == 0) {
    found.clear();
    return;
  }
  const auto before = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::vector<std::pair<std::string, Found>> kept;  // a max-heap by path
  kept.reserve(wanted);
  std::string path;
  std::vector<std::uint32_t> chain;
  for (const Found& item : found) {
    if (kept.size() < wanted) {
      path.clear();
      index.appendPath(path, item.entry);
      kept.emplace_back(path, item);
      std::push_heap(kept.begin(), kept.end(), before);
      continue;
    }
    // A path cut at the longest length the index records is compared as the index holds it.
    const bool whole = index.entries()[item.entry].pathLength < UINT16_MAX;
    if (whole && !kept.empty() && !pathBefore(index, item.entry, kept.front().first, chain)) continue;
    path.clear();
    index.appendPath(path, item.entry);
    if (!kept.empty() && path < kept.front().first) {
      std::pop_heap(kept.begin(), kept.end(), before);
      kept.back().first.swap(path);
      kept.back().second = item;
      std::push_heap(kept.begin(), kept.end(), before);
    }
  }
  std::sort_heap(kept.begin(), kept.end(), before);
  found.clear();
  for (const auto& [_, item] : kept)
    found.push_back(item);
}

bool newer(const Found& a, const Found& b) {
  return a.modified > b.modified;
}

// Keeps the `wanted` newest (0 < wanted <= found.size()) and every other as old as the oldest
// of them, in no order; returns that time.
std::int64_t cutToNewest(std::vector<Found>& found, std::size_t wanted) {
  std::nth_element(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(wanted - 1), found.end(),
                   newer);
  const std::int64_t edge = found[wanted - 1].modified;
  std::erase_if(found, [edge](const Found& item) { return item.modified < edge; });
  return edge;
}

// Keeps only the `wanted` newest, in order: newest first, then by path. Many may share the
// time at the edge (the files of one checkout, folders made together): only as many of those as
// are still wanted have their paths ordered, as `firstByPath` does.
void newestByPath(const Index& index, std::vector<Found>& found, std::size_t wanted) {
  if (wanted >= found.size()) {
    sortByPath(index, found);
    std::stable_sort(found.begin(), found.end(), newer);
    return;
  }
  if (wanted == 0) {
    found.clear();
    return;
  }
  const std::int64_t edge = cutToNewest(found, wanted);
  const auto tied =
      std::partition(found.begin(), found.end(), [edge](const Found& item) { return item.modified != edge; });
  std::vector<Found> atEdge(tied, found.end());
  found.erase(tied, found.end());
  sortByPath(index, found);
  std::stable_sort(found.begin(), found.end(), newer);
  firstByPath(index, atEdge, wanted - found.size());
  found.insert(found.end(), atEdge.begin(), atEdge.end());
}

// One thread's matches of one pattern. Newest first with a limit, only the `wanted` newest and
// those as old as the oldest of them can be chosen: whenever the list has grown well past that,
// it is cut to them, and older matches are then only counted. A newest-first `**` used to keep
// every entry of the tree, megabytes per thread, faulted in and left in its malloc arena.
class Share {
 public:
  void keepNewest(std::uint64_t wanted) {
    if (wanted == 0) return;
    wanted_ = wanted;
    cutAt_ = std::max<std::uint64_t>(1024, 2 * wanted);
  }
  void add(Found item) {
    ++count_;
    if (item.modified < oldest_) return;
    found_.push_back(item);
    if (found_.size() >= cutAt_) cut();
  }
  std::size_t count() const { return count_; }
  std::vector<Found>& found() { return found_; }

 private:
  void cut() {
    oldest_ = cutToNewest(found_, wanted_);
    // Many tied at the edge stay: the next cut waits until the list has doubled again.
    cutAt_ = std::max<std::uint64_t>(cutAt_, 2 * found_.size());
  }

  std::vector<Found> found_;
  std::size_t count_ = 0;
  std::uint64_t wanted_ = 0;
  std::uint64_t cutAt_ = UINT64_MAX;
  std::int64_t oldest_ = INT64_MIN;
};

std::size_t totalOf(const std::vector<Share>& shares) {
  std::size_t total = 0;
  for (const Share& share : shares)
    total += share.count();
  return total;
}

// How many of the first matches are looked for: the skipped ones and the returned ones.
std::size_t wantedOf(std::size_t total, const GlobOptions& options) {
  return std::min<std::size_t>(std::uint64_t{options.offset} + options.limit, total);
}

// One pattern's matches gathered by the threads of a pass, of `total` found: the first
// `wanted` after `offset`, in the order asked for.
Matches chosen(const Index& index, std::vector<Share>& shares, std::size_t total,
               const GlobOptions& options) {
  const std::size_t wanted = wantedOf(total, options);
  std::vector<Found> found = std::move(shares[0].found());
  for (std::size_t share = 1; share < shares.size(); ++share)
    found.insert(found.end(), shares[share].found().begin(), shares[share].found().end());

  Matches matches;
  matches.total = total;
  if (options.newestFirst)
    newestByPath(index, found, wanted);
  else
    firstByPath(index, found, wanted);
  for (std::size_t k = options.offset; k < wanted; ++k)
    matches.items.push_back({found[k].entry, 0});
  return matches;
}

// What reading an entry through its name's chain costs (a read at random) against reading one
// in a pass over all of them (in a row): the chains are followed when they hold fewer entries
// than the pass would read by this measure.
constexpr std::uint64_t kChainEntryCost = 8;

// The matches of up to kPatternsPerPass patterns, in one pass over the names and then over the
// entries whose names may match: a pass over every entry, or, when those names are carried by
// few, their names' chains.
std::vector<Matches> globPass(const Index& index, std::span<const Glob* const> globs,
                              const GlobOptions& options) {
  const auto& entries = index.entries();
  const auto count = static_cast<std::uint32_t>(entries.size());
  const NameFits fitting = nameVerdicts(index.names(), globs, options);
  const std::vector<Fits>& fits = fitting.fits;
  // Without a name that may match, no entry can: the entries are not read.
  if (fitting.carriers == 0) return std::vector<Matches>(globs.size());
  const bool byChains = fitting.carriers * kChainEntryCost < count;
  const std::vector<std::uint32_t> chained = byChains ? fittingNames(fits) : std::vector<std::uint32_t>{};
  const unsigned threads =
      passThreads(options.threads, byChains ? fitting.carriers * kChainEntryCost : count);
  // shares[k][share]: pattern k's matches found by one thread.
  std::vector<std::vector<Share>> shares(globs.size(), std::vector<Share>(threads));
  if (options.newestFirst)
    for (auto& pattern : shares)
      for (Share& share : pattern)
        share.keepNewest(std::uint64_t{options.offset} + options.limit);
  Fits byName{};  // the patterns whose names decide alone
  for (std::size_t k = 0; k < globs.size(); ++k)
    if (globs[k]->nameOnly()) byName = byName | bit(k);
  const auto visit = [&](std::uint32_t at, Fits fit, std::span<Share* const> found,
                         std::vector<std::string_view>& components) {
    if (!kindWanted(entries[at], options)) return;
    const std::int64_t modified = index.modified(at);
    if (options.modifiedAfter != 0 && modified < options.modifiedAfter) return;
    for (auto left = static_cast<unsigned>(fit); left != 0; left &= left - 1) {
      const auto k = static_cast<std::size_t>(std::countr_zero(left));
      if (has(byName, k) || pathMatches(index, *globs[k], at, components)) found[k]->add({at, modified});
    }
  };
  const std::uint32_t ranges = byChains ? static_cast<std::uint32_t>(chained.size()) : count;
  inShares(ranges, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    std::vector<std::string_view> components;
    std::array<Share*, kPatternsPerPass> found{};
    for (std::size_t k = 0; k < globs.size(); ++k)
      found[k] = &shares[k][share];
    if (byChains) {
      for (std::uint32_t n = begin; n < end; ++n) {
        const std::uint32_t name = chained[n];
        for (std::uint32_t at = index.lastWithName(name); at != kNone; at = index.previousWithName(at))
          visit(at, fits[name], found, components);
      }
      return;
    }
    const Entry* const all = entries.data();
    const Fits* const fitOf = fits.data();
    for (std::uint32_t at = begin; at < end; ++at)
      if (const Fits fit = fitOf[all[at].name]; fit != Fits{}) visit(at, fit, found, components);
  });
  // Counted before the threads' shares are cut.
  std::vector<std::size_t> totals;
  for (const auto& pattern : shares)
    totals.push_back(totalOf(pattern));
  // In path order, each thread's first matches are chosen on that thread; the first of all are
  // among them. Worth it only when there are many more to choose from than are wanted.
  std::vector<std::size_t> cut;
  if (!options.newestFirst && threads > 1)
    for (std::size_t k = 0; k < globs.size(); ++k)
      if (totals[k] > std::max<std::size_t>(1024, 4 * wantedOf(totals[k], options))) cut.push_back(k);
  eachInTurn(cut.size() * threads, threads, [&](std::size_t k) {
    const std::size_t pattern = cut[k / threads];
    firstByPath(index, shares[pattern][k % threads].found(), wantedOf(totals[pattern], options));
  });
  // Each pattern's last choice is one thread's work: the patterns' choices run side by side.
  std::vector<Matches> matches(globs.size());
  eachInTurn(globs.size(), threads,
             [&](std::size_t k) { matches[k] = chosen(index, shares[k], totals[k], options); });
  return matches;
}

}  // namespace

Matches globSearch(const Index& index, std::string_view pattern, const GlobOptions& options) {
  const Glob glob(pattern, options.ignoreCase);
  const std::array<const Glob*, 1> globs{&glob};
  return std::move(globPass(index, globs, options).front());
}

std::vector<GlobOutcome> globSearchEach(const Index& index, std::span<const std::string_view> patterns,
                                        const GlobOptions& options) {
  std::vector<GlobOutcome> outcomes(patterns.size());
  std::vector<Glob> globs;
  std::vector<std::size_t> positions;
  globs.reserve(patterns.size());
  for (std::size_t k = 0; k < patterns.size(); ++k) {
    try {
      globs.emplace_back(patterns[k], options.ignoreCase);
      positions.push_back(k);
    } catch (const Error& error) {
      outcomes[k] = std::string(error.what());
    }
  }
  for (std::size_t first = 0; first < globs.size(); first += kPatternsPerPass) {
    std::vector<const Glob*> pass;
    for (std::size_t k = first; k < std::min(globs.size(), first + kPatternsPerPass); ++k)
      pass.push_back(&globs[k]);
    std::vector<Matches> found = globPass(index, pass, options);
    for (std::size_t k = 0; k < found.size(); ++k)
      outcomes[positions[first + k]] = std::move(found[k]);
  }
  return outcomes;
}

}  // namespace fff

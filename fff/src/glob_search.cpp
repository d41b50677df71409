#include "glob_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

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

// Whether a path ending in a name may match. Not a character type, which the compiler would
// have to assume aliases everything a loop reads.
enum class Fit : std::uint8_t { no, yes };

// For each distinct name, whether a path ending in it may match: tested once per name however
// many entries carry it. When the pattern looks at the name alone the answer is final. When it
// fixes the names' extensions, only names with those extensions' keys are read.
std::vector<Fit> nameVerdicts(const NameTable& names, const Glob& glob, const GlobOptions& options) {
  const auto count = static_cast<std::uint32_t>(names.size());
  std::vector<std::uint32_t> keys;
  const auto extensions = glob.extensions();
  if (extensions)
    for (const std::string& extension : *extensions)
      keys.push_back(NameTable::extensionKey(extension));
  std::sort(keys.begin(), keys.end());
  const std::uint32_t* const keyOf = names.extensions().data();
  std::vector<Fit> fits(count, Fit::no);
  const auto test = [&](std::uint32_t id) {
    if (!carried(names, id, options)) return;
    const std::string_view name = names.text(id);
    if (!glob.rejectsName(name) && (!glob.nameOnly() || glob.matchesName(name))) fits[id] = Fit::yes;
  };
  // Patterns name a few extensions: compared in a row (unused places repeat the first), unless
  // there are many.
  std::array<std::uint32_t, 4> few{};
  if (!keys.empty()) few.fill(keys.front());
  std::copy_n(keys.begin(), std::min(keys.size(), few.size()), few.begin());
  inShares(count, passThreads(options.threads, count), [&](std::uint32_t begin, std::uint32_t end, unsigned) {
    if (!extensions) {
      for (std::uint32_t id = begin; id < end; ++id)
        test(id);
    } else if (keys.size() > few.size()) {
      for (std::uint32_t id = begin; id < end; ++id)
        if (std::binary_search(keys.begin(), keys.end(), keyOf[id])) test(id);
    } else {
      const auto [a, b, c, d] = few;
      for (std::uint32_t id = begin; id < end; ++id) {
        const std::uint32_t key = keyOf[id];
        if (key == a || key == b || key == c || key == d) test(id);
      }
    }
  });
  return fits;
}

// The whole path of an entry whose name may match.
bool pathMatches(const Index& index, const Glob& glob, std::uint32_t at,
                 std::vector<std::string_view>& components) {
  if (!glob.acceptsDepth(std::size_t{index.entries()[at].depth} + 1)) return false;
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

}  // namespace

Matches globSearch(const Index& index, std::string_view pattern, const GlobOptions& options) {
  const Glob glob(pattern, options.ignoreCase);
  const std::vector<Fit> fits = nameVerdicts(index.names(), glob, options);
  const auto& entries = index.entries();
  const auto count = static_cast<std::uint32_t>(entries.size());
  const unsigned threads = passThreads(options.threads, count);
  std::vector<std::vector<Found>> shares(threads);
  inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
    std::vector<std::string_view> components;
    std::vector<Found>& found = shares[share];
    const Entry* const all = entries.data();
    const Fit* const fitOf = fits.data();
    for (std::uint32_t at = begin; at < end; ++at) {
      const Entry& entry = all[at];
      if (fitOf[entry.name] == Fit::no || !kindWanted(entry, options)) continue;
      if (!glob.nameOnly() && !pathMatches(index, glob, at, components)) continue;
      const std::int64_t modified = index.modified(at);
      if (options.modifiedAfter == 0 || modified >= options.modifiedAfter) found.push_back({at, modified});
    }
  });
  std::size_t total = 0;
  for (const auto& share : shares)
    total += share.size();
  const std::size_t wanted = std::min<std::size_t>(std::uint64_t{options.offset} + options.limit, total);
  // In path order, each thread's first matches are chosen on that thread; the first of all are
  // among them. Worth it only when there are many more to choose from than are wanted.
  if (!options.newestFirst && threads > 1 && total > std::max<std::size_t>(1024, 4 * wanted))
    eachInTurn(shares.size(), threads, [&](std::size_t share) { firstByPath(index, shares[share], wanted); });
  std::vector<Found> found = std::move(shares[0]);
  for (unsigned share = 1; share < threads; ++share)
    found.insert(found.end(), shares[share].begin(), shares[share].end());

  Matches matches;
  matches.total = total;
  if (options.newestFirst && wanted < found.size()) {
    // Everything newer than the wanted-th item, and all items as old as it: ties at the edge
    // are settled by path below.
    std::nth_element(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(wanted - (wanted > 0)),
                     found.end(), [](const Found& a, const Found& b) { return a.modified > b.modified; });
    const std::int64_t edge = wanted > 0 ? found[wanted - 1].modified : INT64_MAX;
    std::erase_if(found, [edge](const Found& item) { return item.modified < edge; });
  }
  if (options.newestFirst)
    sortByPath(index, found);
  else
    firstByPath(index, found, wanted);
  if (options.newestFirst)
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.modified > b.modified; });
  for (std::size_t k = options.offset; k < wanted; ++k)
    matches.items.push_back({found[k].entry, 0});
  return matches;
}

}  // namespace fff

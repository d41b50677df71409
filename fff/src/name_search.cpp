#include "name_search.h"

#include <algorithm>
#include <array>

#include "shares.h"

namespace fff {
namespace {

constexpr std::int32_t kExactName = 400;
constexpr std::int32_t kExactStem = 300;
constexpr std::int32_t kNamePrefix = 50;
std::string_view stem(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

static_assert(ShortText<64>::kMaxLength <= NameTable::kReadable, "short names are read whole from the table");

}  // namespace

void NameSearch::test(std::uint32_t begin, std::uint32_t end, bool listMatched, NameVerdicts& verdicts,
                      NamesFound& out) const {
  const NameTable& names = index_.names();
  const auto& masks = names.masks();
  const std::size_t m = query_.size();
  const CharMask fullMask = query_.suffixMasks[0];
  const std::int32_t ceiling = kNameBand + maxNameAlignment(m);
  // Below a depth limit a name's entry count is only an upper bound: it cannot raise the bar.
  const bool countsExact = options_.maxDepth == 0;
  ScoreBar& bar = out.bar;
  // A name holding the query: counted, and scored while it could still be shown.
  const auto found = [&](std::uint32_t id, std::string_view text, auto&& align) {
    const std::uint32_t carriers = options_.directoriesOnly ? names.folders(id) : names.entries(id);
    if (carriers == 0) return;
    verdicts.verdicts[id] = Verdict::notShown;
    out.entries += carriers;
    if (listMatched) out.matched.push_back(id);
    if (wanted_ == 0) return;
    const std::int32_t bonus = nameBonus(text);
    const std::int32_t threshold = bar.value();
    if (ceiling + bonus < threshold) return;
    const std::int32_t score = kNameBand + align() + bonus;
    if (score < threshold) return;
    verdicts.verdicts[id] = Verdict::shown;
    verdicts.scores[id] = score;
    out.hits.push_back({id, score, carriers});
    bar.add(score, countsExact ? carriers : 0);
  };
  const CharMask* const maskOf = masks.data();
  // A folder search passes over the names no folder carries (a few in a hundred of a tree's) by
  // the bit the name table keeps for them.
  const CharMask sieve = options_.directoriesOnly ? fullMask | kFolderNameBit : fullMask;
  std::array<std::uint32_t, kSift> sifted;
  for (std::uint32_t from = begin; from < end; from += kSift) {
    // The names whose letters include the query's, listed without branches (as many pass as
    // not, for common letters); then those are read, their text asked for a little ahead.
    std::size_t count = 0;
    const std::uint32_t to = std::min<std::uint32_t>(end, from + kSift);
    for (std::uint32_t id = from; id < to; ++id) {
      sifted[count] = id;
      count += (sieve & ~maskOf[id]) == 0;
    }
    for (std::size_t k = 0; k < count; ++k) {
      if (k + 2 * kAhead < count) {
        names.prefetchRecord(sifted[k + 2 * kAhead]);
        names.prefetchCounts(sifted[k + 2 * kAhead]);
      }
      if (k + kAhead < count) names.prefetchText(sifted[k + kAhead], !query_.matchCase);
      const std::uint32_t id = sifted[k];
      const std::string_view text = matchText(id);
      const std::string_view original = names.text(id);
      withPositions(text, !query_.matchCase, [&](const auto& positions) {
        if (advance(query_, positions, 0) != m) return;
        found(id, text, [&] { return alignmentScore(query_, positions, text, original, 0); });
      });
    }
  }
}

void NameSearch::gather(std::span<const std::uint32_t> names, const NameVerdicts& verdicts,
                        std::vector<Candidate>& out, std::uint64_t& counted) const {
  const auto& entries = index_.entries();
  // The worst of the best `wanted` so far: the heap's top.
  BestCandidates best;
  for (const std::uint32_t name : names) {
    const bool shown = verdicts.verdicts[name] == Verdict::shown;
    for (std::uint32_t at = index_.lastWithName(name); at != kNone; at = index_.previousWithName(at)) {
      const Entry& entry = entries[at];
      if (entry.kind == Kind::removed) continue;
      if (options_.directoriesOnly && entry.kind != Kind::directory) continue;
      if (options_.maxDepth != 0 && entry.depth >= options_.maxDepth) continue;
      ++counted;
      if (!shown || wanted_ == 0) continue;
      const Candidate candidate{at, verdicts.scores[name], entry.pathLength};
      // Worse than all of a full heap: out, unless tied with its worst (then the path decides).
      if (best.size() == wanted_ && ranksBefore(best.top(), candidate) && !sameRank(best.top(), candidate))
        continue;
      out.push_back(candidate);
      best.push(candidate);
      if (best.size() > wanted_) best.pop();
    }
  }
}

// Extra credit for a name that is the query, whose stem is, or that begins with it.
std::int32_t NameSearch::nameBonus(std::string_view text) const {
  if (query_.size() == 0) return 0;
  const ByteTable& table = query_.table();
  const std::size_t m = query_.size();
  if (text.size() < m) return 0;
  for (std::size_t k = 0; k < m; ++k)
    if (table[static_cast<unsigned char>(text[k])] != static_cast<unsigned char>(query_.text[k])) return 0;
  if (text.size() == m) return kExactName;
  if (stem(text).size() == m) return kExactStem;
  return kNamePrefix;
}

}  // namespace fff

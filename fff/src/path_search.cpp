#include "path_search.h"

#include <algorithm>
#include <queue>
#include <string>

namespace fff {
namespace {

// Tails are remembered a byte a name, which holds any query shorter than this.
constexpr std::uint8_t kUnknownTail = UINT8_MAX;

}  // namespace

PathSearch::PathSearch(const Index& index, const Query& query, const SearchOptions& options)
    : index_(index), query_(query), options_(options) {
  bits_.reserve(query.size());
  for (const char c : query.text)
    bits_.push_back(charBit(static_cast<std::uint8_t>(c)));
}

std::vector<std::uint16_t> PathSearch::folderStarts() const {
  const auto& folders = index_.directoryEntries();
  const auto& entries = index_.entries();
  const auto& masks = index_.names().masks();
  const std::size_t m = query_.size();
  std::vector<std::uint16_t> starts(folders.size(), 0);
  // A folder's slot always follows its parent's: one pass in slot order meets parents first.
  for (std::uint32_t slot = kRootDirectory + 1; slot < folders.size(); ++slot) {
    const std::uint32_t at = folders[slot];
    if (at == kNone) continue;
    const Entry& folder = entries[at];
    std::size_t matched = starts[folder.parent];
    // A name without the next byte wanted leaves the progress where it was.
    if (matched < m && (bits_[matched] & masks[folder.name]) != 0) {
      const std::string_view name = matchText(folder.name);
      matched = name.size() <= ShortText::kMaxLength
                    ? advance(query_, ShortText(name.data(), name.size(), !query_.matchCase), matched)
                    : advance(query_, name, matched);
    }
    // A "/" in the query matches between this folder and what it holds.
    if (matched < m && query_.text[matched] == '/') ++matched;
    starts[slot] = static_cast<std::uint16_t>(matched);
  }
  return starts;
}

void PathSearch::collect(std::uint32_t begin, std::uint32_t end, const std::vector<std::uint16_t>& starts,
                         const NameVerdicts& verdicts, std::size_t keep, std::vector<Candidate>& out,
                         std::uint64_t& counted) const {
  if (keep == 0) return;
  const auto& entries = index_.entries();
  const auto& masks = index_.names().masks();
  const std::size_t m = query_.size();
  // The start of the query's end each name holds, worked out once per name as it is met.
  const bool remember = m < kUnknownTail;
  std::vector<std::uint8_t> tails;
  const auto work = [&](std::uint32_t name) {
    const std::string_view text = matchText(name);
    return text.size() <= ShortText::kMaxLength
               ? tailStart(query_, ShortText(text.data(), text.size(), !query_.matchCase))
               : tailStart(query_, text);
  };
  const auto tailOf = [&](std::uint32_t name) -> std::size_t {
    if (!remember) return work(name);
    if (tails.empty()) tails.assign(index_.names().size(), kUnknownTail);
    if (tails[name] == kUnknownTail) tails[name] = static_cast<std::uint8_t>(work(name));
    return tails[name];
  };
  // The worst of the best `keep` so far: the heap's top.
  std::priority_queue<Candidate, std::vector<Candidate>, decltype(&ranksBefore)> best(ranksBefore);
  for (std::uint32_t slot = begin; slot < end; ++slot) {
    // Nothing consumed before the name leaves the name alone to match, and names were tested.
    const std::size_t from = starts[slot];
    if (from == 0) continue;
    for (const std::uint32_t at : index_.directory(slot).children) {
      const Entry& entry = entries[at];
      if (entry.kind == Kind::removed) continue;
      if (options_.directoriesOnly && entry.kind != Kind::directory) continue;
      if (options_.maxDepth != 0 && entry.depth >= options_.maxDepth) continue;
      if (verdicts.verdicts[entry.name] != Verdict::noMatch) continue;
      if (from < m && (query_.suffixMasks[from] & ~masks[entry.name]) != 0) continue;
      const std::size_t tail = tailOf(entry.name);
      if (from < tail) continue;
      ++counted;
      const Candidate candidate{at, static_cast<std::int32_t>(m - tail), entry.pathLength};
      if (best.size() == keep && !ranksBefore(candidate, best.top())) continue;
      best.push(candidate);
      if (best.size() > keep) best.pop();
    }
  }
  for (; !best.empty(); best.pop())
    out.push_back(best.top());
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

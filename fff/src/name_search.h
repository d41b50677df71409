#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "fuzzy.h"
#include "index.h"
#include "ranking.h"
#include "search.h"

namespace fff {

// Name matches sit in a band above every path match.
inline constexpr std::int32_t kNameBand = 100000;

// What one query makes of a distinct name.
enum class Verdict : std::uint8_t { noMatch, notShown, shown };

struct NameVerdicts {
  explicit NameVerdicts(std::size_t names)
      : verdicts(names, Verdict::noMatch), scores(std::make_unique_for_overwrite<std::int32_t[]>(names)) {}
  std::vector<Verdict> verdicts;           // a byte a name, so that it stays in cache
  std::unique_ptr<std::int32_t[]> scores;  // set only where shown
};

// A name holding the whole query whose entries may be shown, and how many entries carry it.
struct NameHit {
  std::uint32_t name;
  std::int32_t score;
  std::uint32_t entries;
};

// What one thread found testing names.
struct NamesFound {
  NamesFound(std::size_t wanted, std::int32_t minScore) : bar(wanted, minScore) {}
  ScoreBar bar;  // over this thread's hits, which may span several ranges
  std::vector<NameHit> hits;
  std::vector<std::uint32_t> matched;  // every name holding the query, when asked for
  std::uint64_t entries = 0;           // entries of the wanted kind carrying those names
};

// The fuzzy search over names: every distinct name is tested once, however many entries carry
// it, and only then are the entries of the names worth showing looked at.
class NameSearch {
 public:
  NameSearch(const Index& index, const Query& query, const SearchOptions& options, std::size_t wanted)
      : index_(index), query_(query), options_(options), wanted_(wanted) {}

  // Tests the names [begin, end) and records each verdict. A name is aligned (scored) only
  // while it could still rank among the `wanted` best entries: its best possible score is
  // known from the query's length, and a scored name brings all its entries at once. Every
  // matching name is listed in `matched` too when `listMatched`.
  void test(std::uint32_t begin, std::uint32_t end, bool listMatched, NameVerdicts& verdicts,
            NamesFound& out) const;

  // Goes through the entries carrying `names`: those of shown names become candidates (all
  // but those that could not make the best `wanted`), and every one of the wanted kind and
  // depth is counted in `counted`.
  void gather(std::span<const std::uint32_t> names, const NameVerdicts& verdicts, std::vector<Candidate>& out,
              std::uint64_t& counted) const;

 private:
  std::string_view matchText(std::uint32_t name) const {
    return query_.matchCase ? index_.names().text(name) : index_.names().folded(name);
  }
  std::int32_t nameBonus(std::string_view text) const;

  const Index& index_;
  const Query& query_;
  const SearchOptions& options_;
  std::size_t wanted_;
};

}  // namespace fff

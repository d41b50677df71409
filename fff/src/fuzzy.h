#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "short_text.h"
#include "text.h"

namespace fff {

// A typed query ready for matching: spaces dropped, case folded unless case matters.
struct Query {
  std::string text;
  std::vector<CharMask> suffixMasks;  // charMask of text from each position on
  bool matchCase = false;

  std::size_t size() const { return text.size(); }
  const ByteTable& table() const { return matchCase ? identityTable() : lowerTable(); }
};

Query prepareQuery(std::string_view raw, bool matchCase);

// The first position from `from` on whose byte matches `wanted`, eight bytes at a time: with
// case ignored a letter matches both cases (a byte OR 0x20 equals a lower-case letter exactly
// when it is that letter in either case). Returns the text's size when there is none.
inline std::size_t findByte(std::string_view text, std::size_t from, unsigned char wanted, bool ignoreCase) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const bool letter = ignoreCase && wanted >= 'a' && wanted <= 'z';
  const unsigned char fold = letter ? 0x20 : 0;
  const std::uint64_t pattern = kOnes * wanted;
  const std::uint64_t folds = kOnes * fold;
  const std::size_t n = text.size();
  std::size_t j = from;
  for (; j + 8 <= n; j += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + j, sizeof word);
    const std::uint64_t x = (word | folds) ^ pattern;
    // The lowest zero byte of x is exact; borrows can only mark bytes above it.
    const std::uint64_t zero = (x - kOnes) & ~x & kHighs;
    if (zero != 0) return j + static_cast<std::size_t>(__builtin_ctzll(zero) >> 3);
  }
  for (; j < n; ++j)
    if ((static_cast<unsigned char>(text[j]) | fold) == wanted) return j;
  return n;
}

// How far a greedy left-to-right pass over `text` carries a query already matched up to
// `matched` bytes. Greedy is exact for "is it a subsequence". Inline: a search calls it for
// most entries.
inline std::size_t advance(const Query& query, std::string_view text, std::size_t matched) {
  const std::size_t m = query.text.size();
  const bool ignoreCase = !query.matchCase;
  for (std::size_t j = 0; matched < m; ++matched, ++j) {
    j = findByte(text, j, static_cast<unsigned char>(query.text[matched]), ignoreCase);
    if (j >= text.size()) break;
  }
  return matched;
}

// The same for a short text: each query byte's next position is one mask away.
template <std::size_t Bytes>
std::size_t advance(const Query& query, const ShortText<Bytes>& text, std::size_t matched) {
  const std::size_t m = query.text.size();
  std::uint64_t allowed = text.all();
  for (; matched < m; ++matched) {
    const std::uint64_t found = text.positions(static_cast<unsigned char>(query.text[matched])) & allowed;
    if (found == 0) break;
    const std::uint64_t first = found & (~found + 1);
    allowed &= ~((first << 1) - 1);
  }
  return matched;
}

// Where the longest end of the query that `text` holds in order begins: the query's size when
// it holds not even the last byte, 0 when it holds the whole query. Greedy from the right is
// exact, so the query from `from` on is within the text exactly when `from` is at least this.
std::size_t tailStart(const Query& query, std::string_view text);
template <std::size_t Bytes>
std::size_t tailStart(const Query& query, const ShortText<Bytes>& text) {
  std::size_t tail = query.text.size();
  std::uint64_t allowed = text.all();
  for (; tail > 0; --tail) {
    const std::uint64_t found = text.positions(static_cast<unsigned char>(query.text[tail - 1])) & allowed;
    if (found == 0) break;
    allowed &= (std::uint64_t{1} << (63 - __builtin_clzll(found))) - 1;
  }
  return tail;
}

// The score of the best alignment of the whole query within `text` (which must contain it):
// every matched byte counts, more at word starts (after "/", "_", "-", ".", a space, or a
// lower-case letter before an upper-case one in `original`) and when it follows the previous
// match; gaps cost. Bytes from `nameStart` on earn a little more, so that within a path the
// name counts most.
int alignmentScore(const Query& query, std::string_view text, std::string_view original,
                   std::size_t nameStart);
// The same for a short text, `positions` made from it: only the cells where a query byte meets
// the same byte of the text are visited, rather than the whole table.
template <std::size_t Bytes>
int alignmentScore(const Query& query, const ShortText<Bytes>& positions, std::string_view text,
                   std::string_view original, std::size_t nameStart);
// The general form again, for a text too long for positions (see withPositions).
inline int alignmentScore(const Query& query, std::string_view positions, std::string_view text,
                          std::string_view original, std::size_t nameStart) {
  (void)positions;  // the text itself
  return alignmentScore(query, text, original, nameStart);
}
extern template int alignmentScore(const Query&, const ShortText<32>&, std::string_view, std::string_view,
                                   std::size_t);
extern template int alignmentScore(const Query&, const ShortText<64>&, std::string_view, std::string_view,
                                   std::size_t);

// Calls `work` with the text as positions: a ShortText when it is short, else the text itself.
// `text` must be a name from the name table, which guarantees the whole-block reads.
template <class Work>
decltype(auto) withPositions(std::string_view text, bool foldCase, Work&& work) {
  if (text.size() <= 32) return work(ShortText<32>(text.data(), text.size(), foldCase));
  if (text.size() <= 64) return work(ShortText<64>(text.data(), text.size(), foldCase));
  return work(text);
}

// No alignment of a query of `length` bytes within a name (nameStart 0) scores more than this.
int maxNameAlignment(std::size_t length);

}  // namespace fff

#include "fuzzy.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace fff {
namespace {

constexpr int kMatch = 16;
constexpr int kAfterSlot = 12;  // first byte of a path component
constexpr int kAfterSeparator = 9;
constexpr int kCamel = 7;
constexpr int kConsecutive = 12;
constexpr int kGapStart = -3;
constexpr int kGapExtend = -1;
constexpr int kInName = 4;
constexpr int kUnset = std::numeric_limits<int>::min() / 2;
// Anything below this started from kUnset: gaps only lower it by a bounded amount.
constexpr int kFloor = kUnset / 2;

bool isSeparator(unsigned char c) {
  return c == '_' || c == '-' || c == '.' || c == ' ';
}

int positionBonus(std::string_view text, std::string_view original, std::size_t j) {
  if (j == 0) return kAfterSlot;
  const auto before = static_cast<unsigned char>(text[j - 1]);
  if (before == '/') return kAfterSlot;
  if (isSeparator(before)) return kAfterSeparator;
  if (original.size() == text.size()) {
    const auto a = static_cast<unsigned char>(original[j - 1]);
    const auto b = static_cast<unsigned char>(original[j]);
    if (a >= 'a' && a <= 'z' && b >= 'A' && b <= 'Z') return kCamel;
    if (!(a >= '0' && a <= '9') && b >= '0' && b <= '9') return kCamel;
  }
  return 0;
}

}  // namespace

Query prepareQuery(std::string_view raw, bool matchCase) {
  Query query;
  query.matchCase = matchCase;
  std::string text = matchCase ? std::string(raw) : foldCase(raw);
  const ByteTable& table = query.table();
  for (unsigned char c : text)
    if (c != ' ') query.text.push_back(static_cast<char>(table[c]));
  query.suffixMasks.assign(query.text.size() + 1, 0);
  for (std::size_t i = query.text.size(); i-- > 0;)
    query.suffixMasks[i] = query.suffixMasks[i + 1] | charBit(static_cast<std::uint8_t>(query.text[i]));
  return query;
}

int alignmentScore(const Query& query, std::string_view text, std::string_view original,
                   std::size_t nameStart) {
  const ByteTable& table = query.table();
  const std::size_t m = query.text.size();
  const std::size_t n = text.size();
  if (m == 0) return 0;
  if (m > n) return kUnset;
  // Names fit on the stack; only long paths need the heap. Two rows of the score table.
  constexpr std::size_t kStackColumns = 256;
  int stackRows[2 * kStackColumns];
  std::vector<int> heapRows;
  int* rows = stackRows;
  if (n > kStackColumns) {
    heapRows.resize(2 * n);
    rows = heapRows.data();
  }
  int* previous = rows;
  int* current = rows + n;
  for (std::size_t i = 0; i < m; ++i) {
    const auto wanted = static_cast<unsigned char>(query.text[i]);
    // Best of the previous row ending two or more bytes back, with the gap it leaves paid.
    int gapped = kUnset;  // lowered by at most n, which stays far above int's minimum
    for (std::size_t j = 0; j < n; ++j) {
      gapped += kGapExtend;
      if (i > 0 && j >= 2 && previous[j - 2] > kFloor) gapped = std::max(gapped, previous[j - 2] + kGapStart);
      if (table[static_cast<unsigned char>(text[j])] != wanted) {
        current[j] = kUnset;
        continue;
      }
      int best = 0;
      if (i > 0) {
        best = gapped;
        if (j >= 1 && previous[j - 1] > kFloor) best = std::max(best, previous[j - 1] + kConsecutive);
      }
      current[j] = best > kFloor
                       ? best + kMatch + positionBonus(text, original, j) + (j >= nameStart ? kInName : 0)
                       : kUnset;
    }
    std::swap(previous, current);
  }
  return *std::max_element(previous, previous + n);
}

template <std::size_t Bytes>
int alignmentScore(const Query& query, const ShortText<Bytes>& positions, std::string_view text,
                   std::string_view original, std::size_t nameStart) {
  const std::size_t m = query.text.size();
  const std::size_t n = text.size();
  if (m == 0) return 0;
  if (m > n) return kUnset;
  const auto cell = [&](std::size_t j) {
    return kMatch + positionBonus(text, original, j) + (j >= nameStart ? kInName : 0);
  };
  // The two rows of the table, set only at the positions in their `valid` masks.
  int rows[2][Bytes];
  int* previous = rows[0];
  int* current = rows[1];
  std::uint64_t previousValid = 0;
  for (std::size_t i = 0; i < m; ++i) {
    const std::uint64_t here = positions.positions(static_cast<unsigned char>(query.text[i]));
    std::uint64_t valid = 0;
    // A gap from a match at k to one at j costs kGapStart + kGapExtend * (j - k - 2): the best
    // start for it is the best previous[k] - kGapExtend * k over the k at least two back.
    std::uint64_t behind = previousValid;
    int reach = 0;
    bool reached = false;
    for (std::uint64_t bits = here; bits != 0; bits &= bits - 1) {
      const auto j = static_cast<std::size_t>(__builtin_ctzll(bits));
      int best = 0;
      if (i > 0) {
        while (behind != 0 && static_cast<std::size_t>(__builtin_ctzll(behind)) + 2 <= j) {
          const auto k = static_cast<std::size_t>(__builtin_ctzll(behind));
          behind &= behind - 1;
          const int start = previous[k] - kGapExtend * static_cast<int>(k);
          reach = reached ? std::max(reach, start) : start;
          reached = true;
        }
        bool found = reached;
        if (reached) best = reach + kGapStart + kGapExtend * static_cast<int>(j - 2);
        if (j >= 1 && ((previousValid >> (j - 1)) & 1) != 0) {
          const int following = previous[j - 1] + kConsecutive;
          best = found ? std::max(best, following) : following;
          found = true;
        }
        if (!found) continue;
      }
      current[j] = best + cell(j);
      valid |= std::uint64_t{1} << j;
    }
    if (valid == 0) return kUnset;
    std::swap(previous, current);
    previousValid = valid;
  }
  int best = kUnset;
  for (std::uint64_t bits = previousValid; bits != 0; bits &= bits - 1)
    best = std::max(best, previous[__builtin_ctzll(bits)]);
  return best;
}

template int alignmentScore(const Query&, const ShortText<32>&, std::string_view, std::string_view,
                            std::size_t);
template int alignmentScore(const Query&, const ShortText<64>&, std::string_view, std::string_view,
                            std::size_t);

std::size_t tailStart(const Query& query, std::string_view text) {
  const ByteTable& table = query.table();
  std::size_t tail = query.text.size();
  for (std::size_t j = text.size(); j-- > 0 && tail > 0;)
    if (table[static_cast<unsigned char>(text[j])] == static_cast<unsigned char>(query.text[tail - 1]))
      --tail;
  return tail;
}

int maxNameAlignment(std::size_t length) {
  if (length == 0) return 0;
  // Within a name only its first byte follows a "/" (or nothing); every later byte earns at
  // most a separator's bonus on top of following the previous match.
  const int first = kMatch + kAfterSlot + kInName;
  const int later = kMatch + std::max(kAfterSeparator, kCamel) + kConsecutive + kInName;
  return first + later * static_cast<int>(length - 1);
}

}  // namespace fff

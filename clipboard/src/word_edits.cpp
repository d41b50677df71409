#include "word_edits.h"

#include <algorithm>
#include <string>

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_search_index.h"

namespace quillo::clipboard {
namespace {

// The hash of `text` with `length` bytes at `from` left out, without building that string:
// a load hashes a quarter of a million such keys. FNV-1a, mixed at the end.
std::uint32_t hashWithout(std::string_view text, std::size_t from, std::size_t length) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  const auto add = [&](std::string_view piece) {
    for (unsigned char byte : piece) {
      hash ^= byte;
      hash *= 0x100000001B3ULL;
    }
  };
  add(text.substr(0, from));
  add(text.substr(std::min(text.size(), from + length)));
  hash ^= hash >> 32;
  return static_cast<std::uint32_t>((hash * 0xD6E8FEB86659FD93ULL) >> 32);
}

// Whether two sequences of characters are at most one edit apart.
template <class Sequence>
bool oneEditApart(const Sequence& a, const Sequence& b) {
  const std::size_t m = a.size();
  const std::size_t n = b.size();
  if (m > n + 1 || n > m + 1) return false;
  if (m != n) {
    const Sequence& longer = m > n ? a : b;
    const Sequence& shorter = m > n ? b : a;
    std::size_t index = 0;
    while (index < shorter.size() && shorter[index] == longer[index])
      ++index;
    return std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(index), shorter.end(),
                      longer.begin() + static_cast<std::ptrdiff_t>(index) + 1);
  }
  std::size_t first = m;
  std::size_t differences = 0;
  for (std::size_t index = 0; index < m; ++index) {
    if (a[index] == b[index]) continue;
    if (++differences > 2) return false;
    if (differences == 1) first = index;
    if (differences == 2 && index != first + 1) return false;
  }
  if (differences < 2) return true;
  return a[first] == b[first + 1] && a[first + 1] == b[first];
}

}  // namespace

std::vector<std::uint32_t> deletionKeyHashes(std::string_view word) {
  std::vector<std::uint32_t> hashes;
  hashes.push_back(hashWithout(word, word.size(), 0));
  if (base::isAscii(word)) {
    for (std::size_t index = 0; index < word.size(); ++index)
      hashes.push_back(hashWithout(word, index, 1));
  } else {
    std::size_t offset = 0;
    for (const std::string& cluster : base::characterClusters(word)) {
      hashes.push_back(hashWithout(word, offset, cluster.size()));
      offset += cluster.size();
    }
  }
  std::sort(hashes.begin(), hashes.end());
  hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
  return hashes;
}

bool ClipboardSearchIndex::isOneEdit(std::string_view a, std::string_view b) {
  if (base::isAscii(a) && base::isAscii(b)) return oneEditApart(a, b);
  return oneEditApart(base::characterClusters(a), base::characterClusters(b));
}

}  // namespace quillo::clipboard

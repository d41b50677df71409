#include "word_edits.h"

#include <algorithm>
#include <functional>
#include <string>

#include "characters.h"
#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_search_index.h"

namespace quillo::clipboard {
namespace {

std::uint64_t hashOf(std::string_view text) {
  return std::hash<std::string_view>{}(text);
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

std::vector<std::uint64_t> deletionKeyHashes(std::string_view word) {
  std::vector<std::uint64_t> hashes;
  hashes.push_back(hashOf(word));
  std::string key;
  if (base::isAscii(word)) {
    for (std::size_t index = 0; index < word.size(); ++index) {
      key.assign(word.substr(0, index));
      key.append(word.substr(index + 1));
      hashes.push_back(hashOf(key));
    }
  } else {
    const auto clusters = characters::clusters(word);
    for (std::size_t skipped = 0; skipped < clusters.size(); ++skipped) {
      key.clear();
      for (std::size_t index = 0; index < clusters.size(); ++index) {
        if (index != skipped) key += clusters[index];
      }
      hashes.push_back(hashOf(key));
    }
  }
  std::sort(hashes.begin(), hashes.end());
  hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
  return hashes;
}

bool ClipboardSearchIndex::isOneEdit(std::string_view a, std::string_view b) {
  if (base::isAscii(a) && base::isAscii(b)) return oneEditApart(a, b);
  return oneEditApart(characters::clusters(a), characters::clusters(b));
}

}  // namespace quillo::clipboard

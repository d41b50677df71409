#include "quillo/core/matching/title_filter.h"

#include <algorithm>
#include <array>
#include <thread>

#include "quillo/base/unicode.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

constexpr std::array<char, 256> lowercaseTable() {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return table;
}
constexpr std::array<char, 256> kLowercase = lowercaseTable();

// An ASCII title read in place: lower-cased and split into words on the fly, as MatchTarget
// would prepare it.
class AsciiTitleView {
 public:
  AsciiTitleView(std::string_view text, std::uint64_t bits) : text_(text), bits_(bits) {}

  std::size_t size() const noexcept { return text_.size(); }
  char32_t at(int index) const noexcept {
    return static_cast<char32_t>(kLowercase[static_cast<unsigned char>(text_[static_cast<std::size_t>(index)])]);
  }
  bool isWordStart(int index) const noexcept {
    return !fuzzy::isSeparator(at(index)) && (index == 0 || fuzzy::isSeparator(at(index - 1)));
  }
  std::uint64_t signature() const noexcept { return bits_; }

 private:
  std::string_view text_;
  std::uint64_t bits_;
};

// The signature of an ASCII title, or none when the title holds other characters.
std::optional<std::uint64_t> asciiSignature(std::string_view text) {
  std::uint64_t bits = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) return std::nullopt;
    bits |= fuzzy::signatureBit(static_cast<char32_t>(kLowercase[byte]));
  }
  return bits;
}

void scoreRange(std::span<const std::string_view> titles, std::size_t begin, std::size_t end,
                const PreparedQuery& query, std::vector<TitleHit>& hits) {
  for (std::size_t position = begin; position < end; ++position) {
    const std::string_view title = titles[position];
    if (title.size() < query.scalars.size()) continue;
    std::optional<int> score;
    if (const auto bits = asciiSignature(title)) {
      if ((query.bits & ~*bits) != 0) continue;
      score = fuzzy::score(query.scalars, query.bits, AsciiTitleView(title, *bits));
    } else {
      score = FuzzyMatcher::score(query, MatchTarget(title));
    }
    if (score) hits.push_back({position, *score});
  }
}

}  // namespace

std::vector<TitleHit> filterTitles(std::span<const std::string_view> titles, std::string_view query,
                                   const TitleFilterOptions& options) {
  const PreparedQuery prepared = FuzzyMatcher::prepare(query);
  if (prepared.empty() || options.limit == 0) return {};

  const unsigned threads = std::clamp(options.threads == 0 ? std::thread::hardware_concurrency() : options.threads,
                                      1u, static_cast<unsigned>(std::max<std::size_t>(titles.size() / 4096, 1)));
  std::vector<std::vector<TitleHit>> partial(threads);
  const std::size_t chunk = (titles.size() + threads - 1) / threads;
  {
    std::vector<std::jthread> workers;
    for (unsigned worker = 1; worker < threads; ++worker) {
      const std::size_t begin = std::min(titles.size(), worker * chunk);
      const std::size_t end = std::min(titles.size(), begin + chunk);
      workers.emplace_back([&, worker, begin, end] { scoreRange(titles, begin, end, prepared, partial[worker]); });
    }
    scoreRange(titles, 0, std::min(titles.size(), chunk), prepared, partial[0]);
  }

  std::vector<TitleHit> hits = std::move(partial[0]);
  for (unsigned worker = 1; worker < threads; ++worker) {
    hits.insert(hits.end(), partial[worker].begin(), partial[worker].end());
  }
  const auto better = [&titles](const TitleHit& a, const TitleHit& b) {
    if (a.score != b.score) return a.score > b.score;
    const int byTitle = titles[a.position].compare(titles[b.position]);
    if (byTitle != 0) return byTitle < 0;
    return a.position < b.position;
  };
  const std::size_t kept = std::min(options.limit, hits.size());
  if (kept == hits.size()) {
    std::sort(hits.begin(), hits.end(), better);
  } else {
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(kept), hits.end(), better);
    hits.resize(kept);
  }
  return hits;
}

}  // namespace quillo::core

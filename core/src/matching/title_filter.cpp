#include "quillo/core/matching/title_filter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "quillo/base/parallel.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

constexpr std::array<char, 256> lowercaseTable() {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return table;
}
constexpr std::array<char, 256> kLowercase = lowercaseTable();

// The signature bit of each byte after lower-casing; a byte of a multi-byte character sets
// kNotAscii, a bit no signature uses.
constexpr std::uint64_t kNotAscii = std::uint64_t{1} << 62;
constexpr std::array<std::uint64_t, 256> signatureTable() {
  std::array<std::uint64_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = c < 128 ? fuzzy::signatureBit(static_cast<char32_t>(kLowercase[c])) : kNotAscii;
  }
  return table;
}
constexpr std::array<std::uint64_t, 256> kSignatureBits = signatureTable();

// An ASCII title read in place: lower-cased and split into words on the fly, as MatchTarget
// would prepare it.
class AsciiTitleView {
 public:
  AsciiTitleView(std::string_view text, std::uint64_t bits) : text_(text), bits_(bits) {}

  std::size_t size() const noexcept { return text_.size(); }
  char32_t at(int index) const noexcept {
    return static_cast<char32_t>(
        kLowercase[static_cast<unsigned char>(text_[static_cast<std::size_t>(index)])]);
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
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  // Four independent accumulators keep the lookups from waiting on each other.
  std::uint64_t bits[4] = {0, 0, 0, 0};
  std::size_t index = 0;
  for (; index + 4 <= size; index += 4) {
    bits[0] |= kSignatureBits[bytes[index]];
    bits[1] |= kSignatureBits[bytes[index + 1]];
    bits[2] |= kSignatureBits[bytes[index + 2]];
    bits[3] |= kSignatureBits[bytes[index + 3]];
  }
  for (; index < size; ++index)
    bits[0] |= kSignatureBits[bytes[index]];
  const std::uint64_t all = bits[0] | bits[1] | bits[2] | bits[3];
  if ((all & kNotAscii) != 0) return std::nullopt;
  return all;
}

using SortableHit = TitleBatchHits::Hit;

std::uint64_t packedPrefix(std::string_view title) {
  std::uint64_t prefix = 0;
  const std::size_t count = std::min<std::size_t>(title.size(), 8);
  for (std::size_t index = 0; index < count; ++index) {
    prefix |= std::uint64_t{static_cast<unsigned char>(title[index])} << (8 * (7 - index));
  }
  return prefix;
}

class HitOrder {
 public:
  explicit HitOrder(std::span<const std::string_view> titles) : titles_(titles) {}

  // Higher score first, then title in byte order (which is code point order), then input order.
  // Zero-padded prefixes that differ order their titles as the titles themselves do.
  bool operator()(const SortableHit& a, const SortableHit& b) const {
    if (a.score != b.score) return a.score > b.score;
    if (a.titlePrefix != b.titlePrefix) return a.titlePrefix < b.titlePrefix;
    const int byTitle = titles_[a.position].compare(titles_[b.position]);
    if (byTitle != 0) return byTitle < 0;
    return a.position < b.position;
  }

 private:
  std::span<const std::string_view> titles_;
};

unsigned workerCount(const TitleFilterOptions& options, std::size_t titles) {
  // Below a few thousand titles a thread costs more than it saves.
  constexpr std::size_t kTitlesPerWorker = 4096;
  const unsigned wanted =
      options.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : options.threads;
  return static_cast<unsigned>(std::clamp<std::size_t>(titles / kTitlesPerWorker, 1, wanted));
}

}  // namespace

TitleBatchHits filterTitleBatch(std::span<const std::string_view> titles, const PreparedQuery& query,
                                std::size_t limit) {
  TitleBatchHits batch;
  auto& hits = batch.hits;
  for (std::size_t position = 0; position < titles.size(); ++position) {
    const std::string_view title = titles[position];
    if (title.size() < query.scalars.size()) continue;
    std::optional<int> score;
    if (const auto bits = asciiSignature(title)) {
      if ((query.bits & ~*bits) != 0) continue;
      score = fuzzy::score(query.scalars, query.bits, AsciiTitleView(title, *bits));
    } else {
      score = FuzzyMatcher::score(query, MatchTarget(title));
    }
    if (score) hits.push_back({*score, packedPrefix(title), position});
  }
  const HitOrder order(titles);
  if (limit < hits.size()) {
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(limit), hits.end(), order);
    hits.resize(limit);
  } else {
    std::sort(hits.begin(), hits.end(), order);
  }
  return batch;
}

std::vector<TitleHit> mergeTitleBatches(std::vector<TitleBatchHits> batches,
                                        std::span<const std::size_t> firstPositions,
                                        std::span<const std::string_view> titles, std::size_t limit) {
  std::vector<std::vector<SortableHit>> runs;
  runs.reserve(batches.size());
  for (std::size_t index = 0; index < batches.size(); ++index) {
    for (SortableHit& hit : batches[index].hits)
      hit.position += firstPositions[index];
    runs.push_back(std::move(batches[index].hits));
  }
  // Merge neighbouring runs pairwise until one is left: each hit moves about log2(runs) times.
  // The order is total (input position breaks every tie), so the result never depends on how
  // the titles were cut into batches.
  const HitOrder order(titles);
  while (runs.size() > 1) {
    std::vector<std::vector<SortableHit>> next;
    next.reserve((runs.size() + 1) / 2);
    for (std::size_t index = 0; index + 1 < runs.size(); index += 2) {
      std::vector<SortableHit> merged;
      merged.reserve(runs[index].size() + runs[index + 1].size());
      std::merge(runs[index].begin(), runs[index].end(), runs[index + 1].begin(), runs[index + 1].end(),
                 std::back_inserter(merged), order);
      if (merged.size() > limit) merged.resize(limit);
      next.push_back(std::move(merged));
    }
    if (runs.size() % 2 == 1) next.push_back(std::move(runs.back()));
    runs = std::move(next);
  }

  std::vector<TitleHit> hits;
  if (runs.empty()) return hits;
  const std::size_t count = std::min(runs.front().size(), limit);
  hits.reserve(count);
  for (std::size_t index = 0; index < count; ++index)
    hits.push_back({runs.front()[index].position, runs.front()[index].score});
  return hits;
}

std::vector<TitleHit> filterTitles(std::span<const std::string_view> titles, std::string_view query,
                                   const TitleFilterOptions& options) {
  const PreparedQuery prepared = FuzzyMatcher::prepare(query);
  if (prepared.empty() || options.limit == 0) return {};

  const unsigned workers = workerCount(options, titles.size());
  const std::size_t chunk = (titles.size() + workers - 1) / workers;
  std::vector<TitleBatchHits> batches(workers);
  std::vector<std::size_t> firstPositions(workers);
  base::runInParallel(workers, [&](std::size_t worker) {
    const std::size_t begin = std::min(titles.size(), worker * chunk);
    const std::size_t end = std::min(titles.size(), begin + chunk);
    firstPositions[worker] = begin;
    batches[worker] = filterTitleBatch(titles.subspan(begin, end - begin), prepared, options.limit);
  });
  return mergeTitleBatches(std::move(batches), firstPositions, titles, options.limit);
}

}  // namespace quillo::core

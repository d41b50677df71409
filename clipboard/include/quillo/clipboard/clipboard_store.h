#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quillo/base/date.h"
#include "quillo/clipboard/clipboard_database.h"
#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_filter.h"
#include "quillo/clipboard/clipboard_limits.h"
#include "quillo/clipboard/clipboard_payload.h"
#include "quillo/clipboard/clipboard_search_index.h"

namespace quillo::clipboard {

class EvictionOrder;

// The clipboard history: the database, every entry in memory inside the search index, repeated
// copies recognised by a content fingerprint, and the limits of age, bytes, count and token
// lifetime enforced on every save and prune. Memory changes only after the database committed,
// so a failed write leaves the history as it was.
// Thread-safety: every member may be called from any thread; each call runs alone.
class ClipboardStore {
 public:
  // Opens the database and loads every entry, splitting texts into words on up to
  // `loadThreads` threads. Throws ClipboardError (a damaged row fails the whole load) or the file
  // system's error for the folder.
  explicit ClipboardStore(const std::filesystem::path& file, unsigned loadThreads = defaultLoadThreads());
  ~ClipboardStore();
  ClipboardStore(const ClipboardStore&) = delete;
  ClipboardStore& operator=(const ClipboardStore&) = delete;

  // $XDG_DATA_HOME/quillo/Clipboard/history.sqlite, or ~/.local/share/... when it is unset, empty
  // or relative.
  static std::filesystem::path standardPath(const std::optional<std::string>& xdgDataHome,
                                            const std::string& homeFolder);
  static unsigned defaultLoadThreads();

  std::size_t count() const;
  std::int64_t byteCount() const;
  std::optional<ClipboardEntry> entry(const base::Uuid& id) const;

  // Records a copy and returns the entry as stored: a new one, or the earlier one it repeats with
  // its copy date moved (title, pin and tags kept; a token tag is added when the copy has one).
  // Throws base::Cancelled when `stop` was requested before it started, ClipboardError::full when
  // the budget cannot be met (nothing written), or ClipboardError::storage.
  ClipboardEntry save(const ClipboardEntry& entry, const ClipboardPayload& payload, const Bytes& thumbnail,
                      const ClipboardLimits& limits, base::Date now, std::stop_token stop = {});

  std::vector<ClipboardEntry> search(std::string_view query, ClipboardFilter filter, std::size_t limit,
                                     std::stop_token stop = {});
  std::optional<ClipboardEntry> strongMatch(std::string_view query, std::stop_token stop = {});

  // Throws ClipboardError::missingItem for an unknown id, PayloadDecodingError for damaged bytes.
  ClipboardPayload payload(const base::Uuid& id) const;
  // None when there is no such entry; no bytes for an entry without a thumbnail.
  std::optional<Bytes> thumbnail(const base::Uuid& id) const;
  // Image entries whose text was never recognised, newest first.
  std::vector<base::Uuid> imagesWithoutText() const;

  // Keeps as much of the recognised text as the budget leaves room for, in whole characters;
  // an empty text marks the image as done. Throws missingItem.
  void setImageText(const base::Uuid& id, std::string_view text, const ClipboardLimits& limits);
  // Trims the title and keeps its first 200 characters; a blank title changes nothing. Throws missingItem.
  void rename(const base::Uuid& id, std::string_view title);
  // Throws missingItem.
  void setPinned(const base::Uuid& id, bool pinned, base::Date now);
  // Unknown ids are skipped.
  void remove(const std::vector<base::Uuid>& ids);
  void clear(bool includingPinned);
  // Removes expired entries and expired tokens, and the oldest unpinned entries as far as the
  // budget needs. Throws full when pinned entries alone exceed the limits.
  void prune(const ClipboardLimits& limits, base::Date now);

  static constexpr std::size_t kMaximumTitleLength = 200;

 private:
  std::int64_t totalBytes() const;
  std::vector<base::Uuid> victims(const ClipboardLimits& limits, base::Date now, std::int64_t incomingBytes,
                                  std::int64_t incomingCount, bool allowPinnedOverflow) const;
  void removeLocked(const std::vector<base::Uuid>& ids);
  void pruneLocked(const ClipboardLimits& limits, base::Date now);
  void remember(std::string_view fingerprint, const base::Uuid& id);
  // Puts an entry in memory in place of the one with its id: into the index (splitting its words
  // again when they changed) and into the eviction order.
  void keep(const ClipboardEntry& entry, bool wordsChanged);
  void forget(const std::vector<base::Uuid>& ids);
  const ClipboardEntry& existing(const base::Uuid& id) const;
  ClipboardEntry saveRepeat(ClipboardEntry stored, const ClipboardEntry& incoming,
                            const ClipboardLimits& limits, base::Date now);
  ClipboardEntry saveNew(const ClipboardEntry& incoming, const std::string& fingerprint,
                         const ClipboardPayload& payload, const Bytes& thumbnail,
                         const ClipboardLimits& limits, base::Date now);

  mutable std::mutex mutex_;
  mutable ClipboardDatabase database_;
  ClipboardSearchIndex index_;
  std::unique_ptr<EvictionOrder> order_;
  // A fingerprint as the 32 bytes its hexadecimal digits spell: kept for every entry, both ways,
  // so that forgetting an entry finds its fingerprint without a pass over all.
  using PrintKey = std::array<std::uint8_t, 32>;
  struct PrintKeyHash {
    std::size_t operator()(const PrintKey& key) const noexcept;
  };
  static PrintKey printKey(std::string_view fingerprint);
  std::unordered_map<PrintKey, base::Uuid, PrintKeyHash> fingerprints_;
  std::unordered_map<base::Uuid, PrintKey> printOf_;
};

}  // namespace quillo::clipboard

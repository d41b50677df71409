#include "quillo/clipboard/clipboard_store.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "eviction_order.h"
#include "fingerprint.h"
#include "quillo/base/characters.h"
#include "quillo/base/digest.h"
#include "quillo/base/errors.h"
#include "quillo/base/memory.h"
#include "quillo/base/unicode.h"
#include "quillo/base/xdg.h"
#include "quillo/clipboard/clipboard_error.h"
#include "statements.h"
#include "transaction.h"

namespace quillo::clipboard {
namespace {

using Value = ClipboardDatabase::Value;
constexpr double kSecondsPerDay = 86400;

std::int64_t utf8Length(std::string_view text) {
  return static_cast<std::int64_t>(text.size());
}

Value optionalDate(const std::optional<base::Date>& date) {
  return date ? Value(date->secondsSince1970) : Value(ClipboardDatabase::Null{});
}

// Oldest first; equal dates by id so that the order never depends on the table's.
bool olderFirst(const ClipboardEntry* a, const ClipboardEntry* b) {
  if (a->copiedAt != b->copiedAt) return a->copiedAt < b->copiedAt;
  return a->id.bytes < b->id.bytes;
}

// The 32 bytes that 64 hexadecimal digits spell.
std::optional<std::array<std::uint8_t, 32>> digestBytes(std::string_view hex) {
  std::array<std::uint8_t, 32> bytes{};
  if (hex.size() != bytes.size() * 2) return std::nullopt;
  const auto nibble = [](char digit) -> int {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
  };
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    const int high = nibble(hex[2 * index]);
    const int low = nibble(hex[2 * index + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[index] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return bytes;
}

}  // namespace

ClipboardStore::ClipboardStore(const std::filesystem::path& file, unsigned loadThreads)
    : database_(file), order_(std::make_unique<EvictionOrder>()) {
  {
    // Rows are split into words by workers while SQLite reads the next ones.
    ClipboardSearchIndex::Loader loader(index_, loadThreads);
    database_.loadEntries([&](ClipboardDatabase::StoredEntry row) {
      remember(row.fingerprint, row.entry.id);
      order_->add(row.entry);
      loader.add(std::move(row.entry));
    });
    loader.finish();
  }
  // Loading reads every row and splits it on workers, and peaks well above what the index keeps;
  // the loader's own tables (every word of every splitter) are gone only now.
  base::releaseFreedMemory();
}

ClipboardStore::~ClipboardStore() = default;

std::filesystem::path ClipboardStore::standardPath(const std::optional<std::string>& xdgDataHome,
                                                   const std::string& homeFolder) {
  return base::xdgFolder(base::XdgFolder::data, xdgDataHome, homeFolder) / "quillo" / "Clipboard" /
         "history.sqlite";
}

unsigned ClipboardStore::defaultLoadThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

std::size_t ClipboardStore::count() const {
  const std::lock_guard lock(mutex_);
  return index_.count();
}

std::int64_t ClipboardStore::byteCount() const {
  const std::lock_guard lock(mutex_);
  return totalBytes();
}

std::int64_t ClipboardStore::totalBytes() const {
  return order_->totalBytes();
}

std::optional<ClipboardEntry> ClipboardStore::entry(const base::Uuid& id) const {
  const std::lock_guard lock(mutex_);
  const ClipboardEntry* found = index_.find(id);
  return found ? std::optional(*found) : std::nullopt;
}

const ClipboardEntry& ClipboardStore::existing(const base::Uuid& id) const {
  const ClipboardEntry* found = index_.find(id);
  if (found == nullptr) throw ClipboardError(ClipboardError::Code::missingItem);
  return *found;
}

ClipboardEntry ClipboardStore::save(const ClipboardEntry& entry, const ClipboardPayload& payload,
                                    const Bytes& thumbnail, const ClipboardLimits& limits, base::Date now,
                                    std::stop_token stop) {
  const std::lock_guard lock(mutex_);
  base::throwIfCancelled(stop);
  const std::string print = fingerprint(payload);
  if (const auto known = fingerprints_.find(printKey(print)); known != fingerprints_.end()) {
    if (const ClipboardEntry* stored = index_.find(known->second))
      return saveRepeat(*stored, entry, limits, now);
  }
  return saveNew(entry, print, payload, thumbnail, limits, now);
}

ClipboardEntry ClipboardStore::saveRepeat(ClipboardEntry stored, const ClipboardEntry& incoming,
                                          const ClipboardLimits& limits, base::Date now) {
  stored.copiedAt = incoming.copiedAt;
  const std::string id = stored.id.text();
  if (incoming.isToken() && !stored.isToken()) {
    const std::string oldTags = tagsJson(stored.tags);
    stored.tags.push_back(tokenTag());
    const std::string newTags = tagsJson(stored.tags);
    stored.byteCount += utf8Length(newTags) - utf8Length(oldTags);
    database_.execute(statements::kUpdateCopiedAtAndTags,
                      {stored.copiedAt.secondsSince1970, newTags, stored.byteCount, id});
    // The token's search words come with the tag.
    keep(stored, true);
  } else {
    database_.execute(statements::kUpdateCopiedAt, {stored.copiedAt.secondsSince1970, id});
    keep(stored, false);
  }
  // The copy stays recorded even when pinned entries keep the history over its limits.
  pruneLocked(limits, now);
  return stored;
}

ClipboardEntry ClipboardStore::saveNew(const ClipboardEntry& incoming, const std::string& print,
                                       const ClipboardPayload& payload, const Bytes& thumbnail,
                                       const ClipboardLimits& limits, base::Date now) {
  Bytes propertyList = payload.propertyList();
  const std::string tags = tagsJson(incoming.tags);
  const std::int64_t bytes = static_cast<std::int64_t>(propertyList.size() + thumbnail.size()) +
                             utf8Length(incoming.text) + utf8Length(incoming.title) + utf8Length(tags) +
                             (incoming.imageText ? utf8Length(*incoming.imageText) : 0);
  if (bytes > limits.bytes) throw ClipboardError(ClipboardError::Code::full);

  ClipboardEntry stored({
      .id = incoming.id,
      .title = incoming.title,
      .text = incoming.text,
      .kind = incoming.kind,
      .sourceAppID = incoming.sourceAppID,
      .sourceAppName = incoming.sourceAppName,
      .copiedAt = incoming.copiedAt,
      .isPinned = incoming.isPinned,
      .pinnedAt = incoming.pinnedAt,
      .byteCount = bytes,
      .tags = incoming.tags,
      .imageText = incoming.imageText,
  });
  const std::vector<base::Uuid> removed = victims(limits, now, bytes, 1, false);

  inTransaction(database_, [&] {
    for (const base::Uuid& victim : removed)
      database_.execute(statements::kDelete, {victim.text()});
    database_.execute(statements::kInsert,
                      {
                          stored.id.text(),
                          print,
                          stored.title,
                          stored.text.str(),
                          std::string(rawValue(stored.kind)),
                          stored.sourceAppID,
                          stored.sourceAppName,
                          stored.copiedAt.secondsSince1970,
                          std::int64_t{stored.isPinned ? 1 : 0},
                          stored.byteCount,
                          std::move(propertyList),
                          thumbnail,
                          tags,
                          optionalDate(stored.pinnedAt),
                          stored.imageText ? Value(*stored.imageText) : Value(ClipboardDatabase::Null{}),
                      });
  });
  forget(removed);
  keep(stored, true);
  remember(print, stored.id);
  return stored;
}

std::vector<base::Uuid> ClipboardStore::victims(const ClipboardLimits& limits, base::Date now,
                                                std::int64_t incomingBytes, std::int64_t incomingCount,
                                                bool allowPinnedOverflow) const {
  const double cutoff = now.secondsSince1970 - static_cast<double>(limits.retentionDays) * kSecondsPerDay;
  const bool forgetsTokens = limits.tokenLifetime.has_value();
  const double tokenCutoff = now.secondsSince1970 - limits.tokenLifetime.value_or(0);
  const auto expired = [&](const EvictionOrder::Item& item) {
    const double copied = item.copiedAt.secondsSince1970;
    return copied < cutoff || (forgetsTokens && copied < tokenCutoff && item.isToken);
  };

  std::int64_t projectedBytes = totalBytes() + incomingBytes;
  auto projectedCount = static_cast<std::int64_t>(index_.count()) + incomingCount;
  // Entries past the retention are the oldest ones; expired tokens are counted from their own
  // order, so that a save visits only the entries it may evict.
  std::size_t expiredLeft = 0;
  for (const EvictionOrder::Item& item : order_->unpinned()) {
    if (item.copiedAt.secondsSince1970 >= cutoff) break;
    ++expiredLeft;
  }
  if (forgetsTokens) {
    for (const EvictionOrder::Item& item : order_->unpinnedTokens()) {
      if (item.copiedAt.secondsSince1970 >= tokenCutoff) break;
      if (item.copiedAt.secondsSince1970 >= cutoff) ++expiredLeft;
    }
  }
  const auto overflowing = [&] { return projectedBytes > limits.bytes || projectedCount > limits.count; };

  // Oldest first, as far as needed: every expired entry, and others while the limits are exceeded.
  std::vector<base::Uuid> chosen;
  const auto& unpinned = order_->unpinned();
  for (auto it = unpinned.begin(); it != unpinned.end() && (expiredLeft > 0 || overflowing()); ++it) {
    const bool isExpired = expired(*it);
    if (isExpired) --expiredLeft;
    if (isExpired || overflowing()) {
      chosen.push_back(it->id);
      projectedBytes -= it->byteCount;
      projectedCount -= 1;
    }
  }
  if (!allowPinnedOverflow && overflowing()) throw ClipboardError(ClipboardError::Code::full);
  return chosen;
}

std::size_t ClipboardStore::PrintKeyHash::operator()(const PrintKey& key) const noexcept {
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
}

ClipboardStore::PrintKey ClipboardStore::printKey(std::string_view fingerprint) {
  // Every fingerprint this store writes is hexadecimal SHA-256; anything else keeps its identity
  // through a digest of its own.
  if (const auto key = digestBytes(fingerprint)) return *key;
  return digestBytes(base::sha256Hex(fingerprint)).value_or(PrintKey{});
}

void ClipboardStore::remember(std::string_view fingerprint, const base::Uuid& id) {
  const PrintKey key = printKey(fingerprint);
  printOf_.insert_or_assign(id, key);
  fingerprints_.insert_or_assign(key, id);
}

void ClipboardStore::keep(const ClipboardEntry& entry, bool wordsChanged) {
  if (const ClipboardEntry* old = index_.find(entry.id)) order_->remove(*old);
  if (wordsChanged) {
    index_.insert(entry);
  } else {
    index_.update(entry);
  }
  order_->add(entry);
}

void ClipboardStore::forget(const std::vector<base::Uuid>& ids) {
  for (const base::Uuid& id : ids) {
    if (const ClipboardEntry* old = index_.find(id)) order_->remove(*old);
    index_.remove(id);
    if (const auto print = printOf_.find(id); print != printOf_.end()) {
      fingerprints_.erase(print->second);
      printOf_.erase(print);
    }
  }
}

std::vector<ClipboardEntry> ClipboardStore::search(std::string_view query, ClipboardFilter filter,
                                                   std::size_t limit, std::stop_token stop) {
  const std::lock_guard lock(mutex_);
  return index_.search(query, filter, limit, stop);
}

std::optional<ClipboardEntry> ClipboardStore::strongMatch(std::string_view query, std::stop_token stop) {
  const std::lock_guard lock(mutex_);
  return index_.strongMatch(query, stop);
}

ClipboardPayload ClipboardStore::payload(const base::Uuid& id) const {
  const std::lock_guard lock(mutex_);
  const auto bytes = database_.payload(id);
  if (!bytes) throw ClipboardError(ClipboardError::Code::missingItem);
  return ClipboardPayload::fromPropertyList(*bytes);
}

std::optional<Bytes> ClipboardStore::thumbnail(const base::Uuid& id) const {
  const std::lock_guard lock(mutex_);
  return database_.thumbnail(id);
}

std::vector<base::Uuid> ClipboardStore::imagesWithoutText() const {
  const std::lock_guard lock(mutex_);
  std::vector<const ClipboardEntry*> images;
  for (const ClipboardEntry* entry : index_.entries()) {
    if (entry->kind == ClipboardKind::image && !entry->imageText) images.push_back(entry);
  }
  std::sort(images.begin(), images.end(), [](const auto* a, const auto* b) { return olderFirst(b, a); });
  std::vector<base::Uuid> ids;
  for (const ClipboardEntry* entry : images)
    ids.push_back(entry->id);
  return ids;
}

void ClipboardStore::setImageText(const base::Uuid& id, std::string_view text,
                                  const ClipboardLimits& limits) {
  const std::lock_guard lock(mutex_);
  ClipboardEntry entry = existing(id);
  const std::int64_t old = entry.imageText ? utf8Length(*entry.imageText) : 0;
  const std::int64_t room = std::max<std::int64_t>(limits.bytes - totalBytes() + old, 0);
  std::string kept = base::characterPrefixWithinBytes(text, static_cast<std::size_t>(room));
  entry.byteCount += utf8Length(kept) - old;
  database_.execute(statements::kUpdateImageText, {kept, entry.byteCount, entry.id.text()});
  entry.imageText = std::move(kept);
  keep(entry, true);
}

void ClipboardStore::rename(const base::Uuid& id, std::string_view title) {
  const std::lock_guard lock(mutex_);
  ClipboardEntry entry = existing(id);
  std::string trimmed = base::characterPrefix(base::trimmedWhiteSpace(title), kMaximumTitleLength);
  if (trimmed.empty()) return;
  entry.byteCount += utf8Length(trimmed) - utf8Length(entry.title);
  database_.execute(statements::kUpdateTitle, {trimmed, entry.byteCount, entry.id.text()});
  entry.title = std::move(trimmed);
  keep(entry, true);
}

void ClipboardStore::setPinned(const base::Uuid& id, bool pinned, base::Date now) {
  const std::lock_guard lock(mutex_);
  ClipboardEntry entry = existing(id);
  if (entry.isPinned == pinned) return;
  entry.isPinned = pinned;
  entry.pinnedAt = pinned ? std::optional(now) : std::nullopt;
  database_.execute(statements::kUpdatePinned,
                    {std::int64_t{pinned ? 1 : 0}, optionalDate(entry.pinnedAt), entry.id.text()});
  keep(entry, false);
}

void ClipboardStore::remove(const std::vector<base::Uuid>& ids) {
  const std::lock_guard lock(mutex_);
  removeLocked(ids);
}

void ClipboardStore::removeLocked(const std::vector<base::Uuid>& ids) {
  inTransaction(database_, [&] {
    for (const base::Uuid& id : ids)
      database_.execute(statements::kDelete, {id.text()});
  });
  forget(ids);
}

void ClipboardStore::clear(bool includingPinned) {
  const std::lock_guard lock(mutex_);
  std::vector<base::Uuid> ids;
  for (const ClipboardEntry* entry : index_.entries()) {
    if (includingPinned || !entry->isPinned) ids.push_back(entry->id);
  }
  removeLocked(ids);
}

void ClipboardStore::prune(const ClipboardLimits& limits, base::Date now) {
  const std::lock_guard lock(mutex_);
  pruneLocked(limits, now);
}

void ClipboardStore::pruneLocked(const ClipboardLimits& limits, base::Date now) {
  removeLocked(victims(limits, now, 0, 0, true));
  if (totalBytes() > limits.bytes || static_cast<std::int64_t>(index_.count()) > limits.count) {
    throw ClipboardError(ClipboardError::Code::full);
  }
}

}  // namespace quillo::clipboard

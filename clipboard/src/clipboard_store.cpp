#include "quillo/clipboard/clipboard_store.h"

#include <algorithm>
#include <thread>
#include <unordered_set>

#include "characters.h"
#include "fingerprint.h"
#include "quillo/base/cancelled.h"
#include "quillo/clipboard/clipboard_error.h"
#include "statements.h"
#include "transaction.h"

namespace quillo::clipboard {
namespace {

using Value = ClipboardDatabase::Value;
constexpr double kSecondsPerDay = 86400;

struct UuidHash {
  std::size_t operator()(const base::Uuid& id) const noexcept { return base::hashOf(id); }
};

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

}  // namespace

ClipboardStore::ClipboardStore(const std::filesystem::path& file, unsigned loadThreads) : database_(file) {
  // Rows are split into words by workers while SQLite reads the next ones.
  ClipboardSearchIndex::Loader loader(index_, loadThreads);
  database_.loadEntries([&](ClipboardDatabase::StoredEntry row) {
    fingerprints_.insert_or_assign(std::move(row.fingerprint), row.entry.id);
    loader.add(std::move(row.entry));
  });
  loader.finish();
}

std::filesystem::path ClipboardStore::standardPath(const std::optional<std::string>& xdgDataHome,
                                                   const std::string& homeFolder) {
  const std::filesystem::path data = xdgDataHome && !xdgDataHome->empty()
                                         ? std::filesystem::path(*xdgDataHome)
                                         : std::filesystem::path(homeFolder) / ".local" / "share";
  return data / "quillo" / "Clipboard" / "history.sqlite";
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
  std::int64_t total = 0;
  for (const ClipboardEntry* entry : index_.entries())
    total += entry->byteCount;
  return total;
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
  if (const auto known = fingerprints_.find(print); known != fingerprints_.end()) {
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
    index_.insert(stored);
  } else {
    database_.execute(statements::kUpdateCopiedAt, {stored.copiedAt.secondsSince1970, id});
    index_.update(stored);
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
  index_.insert(stored);
  fingerprints_.insert_or_assign(print, stored.id);
  return stored;
}

std::vector<base::Uuid> ClipboardStore::victims(const ClipboardLimits& limits, base::Date now,
                                                std::int64_t incomingBytes, std::int64_t incomingCount,
                                                bool allowPinnedOverflow) const {
  const double cutoff = now.secondsSince1970 - static_cast<double>(limits.retentionDays) * kSecondsPerDay;
  const bool forgetsTokens = limits.tokenLifetime.has_value();
  const double tokenCutoff = now.secondsSince1970 - limits.tokenLifetime.value_or(0);
  const auto expired = [&](const ClipboardEntry* entry) {
    const double copied = entry->copiedAt.secondsSince1970;
    return copied < cutoff || (forgetsTokens && copied < tokenCutoff && entry->isToken());
  };

  std::int64_t projectedBytes = incomingBytes;
  auto projectedCount = static_cast<std::int64_t>(index_.count()) + incomingCount;
  std::vector<const ClipboardEntry*> candidates;
  std::size_t expiredLeft = 0;
  for (const ClipboardEntry* entry : index_.entries()) {
    projectedBytes += entry->byteCount;
    if (entry->isPinned) continue;
    candidates.push_back(entry);
    if (expired(entry)) ++expiredLeft;
  }
  const auto overflowing = [&] { return projectedBytes > limits.bytes || projectedCount > limits.count; };

  // Walks the unpinned entries oldest first, but only as far as needed: a heap gives the next
  // oldest without sorting the whole history on every save.
  const auto newerOnTop = [](const ClipboardEntry* a, const ClipboardEntry* b) { return olderFirst(b, a); };
  std::make_heap(candidates.begin(), candidates.end(), newerOnTop);
  std::vector<base::Uuid> chosen;
  while (!candidates.empty() && (expiredLeft > 0 || overflowing())) {
    std::pop_heap(candidates.begin(), candidates.end(), newerOnTop);
    const ClipboardEntry* oldest = candidates.back();
    candidates.pop_back();
    const bool isExpired = expired(oldest);
    if (isExpired) --expiredLeft;
    if (isExpired || overflowing()) {
      chosen.push_back(oldest->id);
      projectedBytes -= oldest->byteCount;
      projectedCount -= 1;
    }
  }
  if (!allowPinnedOverflow && overflowing()) throw ClipboardError(ClipboardError::Code::full);
  return chosen;
}

void ClipboardStore::forget(const std::vector<base::Uuid>& ids) {
  if (ids.empty()) return;
  const std::unordered_set<base::Uuid, UuidHash> gone(ids.begin(), ids.end());
  for (const base::Uuid& id : ids)
    index_.remove(id);
  std::erase_if(fingerprints_, [&](const auto& row) { return gone.contains(row.second); });
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
  std::string kept = characters::prefixWithinBytes(text, static_cast<std::size_t>(room));
  entry.byteCount += utf8Length(kept) - old;
  database_.execute(statements::kUpdateImageText, {kept, entry.byteCount, entry.id.text()});
  entry.imageText = std::move(kept);
  index_.insert(std::move(entry));
}

void ClipboardStore::rename(const base::Uuid& id, std::string_view title) {
  const std::lock_guard lock(mutex_);
  ClipboardEntry entry = existing(id);
  std::string trimmed = characters::prefix(characters::trimmed(title), kMaximumTitleLength);
  if (trimmed.empty()) return;
  entry.byteCount += utf8Length(trimmed) - utf8Length(entry.title);
  database_.execute(statements::kUpdateTitle, {trimmed, entry.byteCount, entry.id.text()});
  entry.title = std::move(trimmed);
  index_.insert(std::move(entry));
}

void ClipboardStore::setPinned(const base::Uuid& id, bool pinned, base::Date now) {
  const std::lock_guard lock(mutex_);
  ClipboardEntry entry = existing(id);
  if (entry.isPinned == pinned) return;
  entry.isPinned = pinned;
  entry.pinnedAt = pinned ? std::optional(now) : std::nullopt;
  database_.execute(statements::kUpdatePinned,
                    {std::int64_t{pinned ? 1 : 0}, optionalDate(entry.pinnedAt), entry.id.text()});
  index_.update(entry);
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

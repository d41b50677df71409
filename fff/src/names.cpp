#include "names.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "text.h"

namespace fff {
namespace {

constexpr std::uint32_t kEmpty = UINT32_MAX;
constexpr std::size_t kFirstSlots = 1024;

std::size_t hashOf(std::string_view name) {
  return std::hash<std::string_view>{}(name);
}

}  // namespace

NameTable::NameTable() : bytes_(kReadable, '\0'), slots_(kFirstSlots, kEmpty) {}

void NameTable::ownEverything() {
  bytes_.detach();
  texts_.detach();
  masks_.detach();
  extensions_.detach();
  counts_.detach();
  slots_.detach();
}

bool NameTable::readInPlace() const {
  return bytes_.inPlace() && texts_.inPlace() && masks_.inPlace() && extensions_.inPlace() &&
         counts_.inPlace() && slots_.inPlace();
}

std::uint32_t NameTable::store(std::string_view bytes) {
  const std::size_t end = bytes_.size() - kReadable;
  if (end + bytes.size() > UINT32_MAX) throw std::length_error("The index is full.");
  bytes_.resize(end);
  bytes_.append(bytes.data(), bytes.size());
  bytes_.resize(end + bytes.size() + kReadable, '\0');
  return static_cast<std::uint32_t>(end);
}

// The slot holding `name`, or the free slot where it belongs.
std::size_t NameTable::slotOf(std::string_view name) const {
  return slotOf(name, hashOf(name));
}

std::size_t NameTable::slotOf(std::string_view name, std::size_t hash) const {
  const std::size_t last = slots_.size() - 1;
  for (std::size_t slot = hash & last;; slot = (slot + 1) & last) {
    const std::uint32_t id = slots_[slot];
    if (id == kEmpty || text(id) == name) return slot;
  }
}

void NameTable::grow() {
  rehash(slots_.size() * 2);
}

// Every name is distinct: each goes to the first free slot from its hash, compared with none.
void NameTable::rehash(std::size_t slots) {
  slots_.assign(slots, kEmpty);
  const std::size_t last = slots_.size() - 1;
  for (std::uint32_t id = 0; id < texts_.size(); ++id) {
    std::size_t slot = hashOf(text(id)) & last;
    while (slots_[slot] != kEmpty)
      slot = (slot + 1) & last;
    slots_.change(slot) = id;
  }
}

std::uint32_t NameTable::extensionKey(std::string_view extension) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : extension)
    hash = (hash ^ lowerTable()[c]) * 16777619u;
  return hash | 1;  // never the key of no extension
}

// Slots that do not hold every name once, each inside the table, are made again from the names.
void NameTable::checkSlots() {
  if (slotsChecked_) return;
  slotsChecked_ = true;
  const std::size_t count = texts_.size();
  bool bad = false;
  std::size_t used = 0;
  for (const std::uint32_t id : slots_) {
    bad |= id != kEmpty && id >= count;
    used += id != kEmpty;
  }
  if (bad || used != count) rehash(slots_.size());
}

std::uint32_t NameTable::intern(std::string_view name) {
  checkSlots();
  name = name.substr(0, UINT16_MAX);
  return intern(name, hashOf(name));
}

void NameTable::internAll(std::span<const std::string_view> names, std::vector<std::uint32_t>& ids) {
  checkSlots();
  thread_local std::vector<std::size_t> hashes;
  hashes.resize(names.size());
  ids.resize(names.size());
  // Each pass only hints at what the next reads; the lookups themselves come last.
  const std::size_t last = slots_.size() - 1;
  for (std::size_t k = 0; k < names.size(); ++k) {
    hashes[k] = hashOf(names[k].substr(0, UINT16_MAX));
    __builtin_prefetch(slots_.data() + (hashes[k] & last));
  }
  for (std::size_t k = 0; k < names.size(); ++k)
    if (const std::uint32_t id = slots_[hashes[k] & last]; id != kEmpty) prefetchRecord(id);
  for (std::size_t k = 0; k < names.size(); ++k)
    if (const std::uint32_t id = slots_[hashes[k] & last]; id != kEmpty) prefetchText(id, false);
  for (std::size_t k = 0; k < names.size(); ++k)
    ids[k] = intern(names[k].substr(0, UINT16_MAX), hashes[k]);
}

std::uint32_t NameTable::intern(std::string_view name, std::size_t hash) {
  std::size_t slot = slotOf(name, hash);
  if (slots_[slot] != kEmpty) return slots_[slot];
  if (texts_.size() >= kEmpty - 1) throw std::length_error("The index is full.");
  // At most three quarters full, so that a probe ends soon.
  if ((texts_.size() + 1) * 4 > slots_.size() * 3) {
    grow();
    slot = slotOf(name, hash);
  }
  Text entry{};
  entry.length = static_cast<std::uint16_t>(name.size());
  entry.offset = store(name);
  entry.foldOffset = entry.offset;
  entry.foldLength = entry.length;
  CharMask mask = charMask(name);
  if (needsFolding(name)) {
    const std::string folded = foldCase(name);
    if (folded != name) {
      const std::string_view kept = std::string_view(folded).substr(0, UINT16_MAX);
      entry.foldLength = static_cast<std::uint16_t>(kept.size());
      entry.foldOffset = store(kept);
      mask |= charMask(kept);
    }
  }
  const auto id = static_cast<std::uint32_t>(texts_.size());
  texts_.push_back(entry);
  masks_.push_back(mask);
  const auto dot = name.rfind('.');
  extensions_.push_back(dot == std::string_view::npos ? 0 : extensionKey(name.substr(dot + 1)));
  counts_.emplace_back();
  slots_.change(slot) = id;
  return id;
}

void NameTable::counted(std::uint32_t id, bool folder) {
  Counts& counts = counts_.change(id);
  ++counts.entries;
  if (folder && ++counts.folders == 1) masks_.change(id) |= kFolderNameBit;
}

void NameTable::uncounted(std::uint32_t id, bool folder) {
  Counts& counts = counts_.change(id);
  --counts.entries;
  if (folder && --counts.folders == 0) masks_.change(id) &= ~kFolderNameBit;
}

void NameTable::reserve(std::size_t names, std::size_t bytes) {
  bytes_.reserve(bytes + kReadable);
  texts_.reserve(names);
  masks_.reserve(names);
  extensions_.reserve(names);
  counts_.reserve(names);
  std::size_t slots = slots_.size();
  while (names * 4 > slots * 3)
    slots *= 2;
  if (slots == slots_.size()) return;
  slots_.assign(slots, kEmpty);
  for (std::uint32_t id = 0; id < texts_.size(); ++id)
    slots_.change(slotOf(text(id))) = id;
}

void NameTable::shrink() {
  bytes_.shrink_to_fit();
  texts_.shrink_to_fit();
  masks_.shrink_to_fit();
  extensions_.shrink_to_fit();
  counts_.shrink_to_fit();
}

}  // namespace fff

#include "index.h"

#include <algorithm>
#include <stdexcept>

#include "text.h"

namespace fff {

Index::Index() {
  directories_.emplace_back();
  directoryEntries_.push_back(kNone);
}

std::uint32_t Index::storeName(std::string_view name) {
  if (names_.size() + name.size() > UINT32_MAX) throw std::length_error("The index is full.");
  const auto offset = static_cast<std::uint32_t>(names_.size());
  names_.append(name);
  return offset;
}

std::uint32_t Index::add(std::uint32_t parentDirectory, const Listed& listed) {
  if (entries_.size() >= kNone - 1) throw std::length_error("The index is full.");
  const Directory& parent = directories_[parentDirectory];
  const auto index = static_cast<std::uint32_t>(entries_.size());
  Entry entry{};
  entry.parent = parentDirectory;
  entry.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(listed.name.size(), UINT16_MAX));
  entry.nameOffset = storeName(std::string_view(listed.name).substr(0, entry.nameLength));
  entry.foldOffset = entry.nameOffset;
  entry.foldLength = entry.nameLength;
  if (needsFolding(listed.name)) {
    const std::string folded = foldCase(listed.name);
    if (folded != listed.name) {
      entry.foldLength = static_cast<std::uint16_t>(std::min<std::size_t>(folded.size(), UINT16_MAX));
      entry.foldOffset = storeName(std::string_view(folded).substr(0, entry.foldLength));
    }
  }
  entry.charMask = charMask(folded(entry));
  entry.size = listed.kind == Kind::directory ? 0 : listed.size;
  entry.kind = listed.kind;
  entry.symlink = listed.symlink;
  entry.directory = kNone;
  if (parent.entry == kNone) {
    entry.depth = 0;
    entry.pathLength = entry.nameLength;
  } else {
    const Entry& folder = entries_[parent.entry];
    entry.depth = static_cast<std::uint16_t>(std::min(folder.depth + 1, int{UINT16_MAX}));
    entry.pathLength = static_cast<std::uint16_t>(
        std::min<std::size_t>(folder.pathLength + 1u + entry.nameLength, UINT16_MAX));
  }
  if (listed.kind == Kind::directory) {
    entry.directory = static_cast<std::uint32_t>(directories_.size());
    Directory& directory = directories_.emplace_back();
    directory.entry = index;
    directory.device = listed.device;
    directory.inode = listed.inode;
    directoryEntries_.push_back(index);
  }
  entries_.push_back(entry);
  modified_.push_back(listed.modified);
  hot_.push_back({entry.charMask, entry.parent, entry.foldOffset, entry.foldLength, entry.kind,
                  entry.foldOffset == entry.nameOffset});
  directories_[parentDirectory].children.push_back(index);
  ++live_;
  return index;
}

void Index::update(std::uint32_t index, const Listed& listed) {
  Entry& entry = entries_[index];
  entry.size = entry.kind == Kind::directory ? 0 : listed.size;
  modified_[index] = listed.modified;
  entry.symlink = listed.symlink;
}

std::vector<std::uint32_t> Index::remove(std::uint32_t index) {
  std::vector<std::uint32_t> removed;
  Entry& top = entries_[index];
  if (top.kind == Kind::removed) return removed;
  auto& siblings = directories_[top.parent].children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), index), siblings.end());

  std::vector<std::uint32_t> pending{index};
  while (!pending.empty()) {
    Entry& entry = entries_[pending.back()];
    pending.pop_back();
    if (entry.kind == Kind::removed) continue;
    if (entry.directory != kNone) {
      Directory& directory = directories_[entry.directory];
      removed.push_back(entry.directory);
      directory.alive = false;
      directoryEntries_[entry.directory] = kNone;
      pending.insert(pending.end(), directory.children.begin(), directory.children.end());
      std::vector<std::uint32_t>().swap(directory.children);
    }
    entry.kind = Kind::removed;
    hot_[static_cast<std::size_t>(&entry - entries_.data())].kind = Kind::removed;
    --live_;
  }
  return removed;
}

void Index::appendPath(std::string& out, std::uint32_t index) const {
  const std::size_t start = out.size();
  const Entry& leaf = entries_[index];
  out.resize(start + leaf.pathLength);
  std::size_t end = out.size();
  for (std::uint32_t at = index; at != kNone;) {
    const Entry& entry = entries_[at];
    const std::string_view part = name(entry);
    const std::size_t length = std::min(part.size(), end - start);
    end -= length;
    std::copy_n(part.data() + (part.size() - length), length, out.data() + end);
    at = directories_[entry.parent].entry;
    if (at != kNone && end > start) out[--end] = '/';
  }
}

void Index::appendFoldedPath(std::string& out, std::uint32_t index) const {
  std::vector<std::uint32_t> chain;
  for (std::uint32_t at = index; at != kNone; at = directories_[entries_[at].parent].entry)
    chain.push_back(at);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (it != chain.rbegin()) out.push_back('/');
    out.append(folded(entries_[*it]));
  }
}

std::string Index::path(std::uint32_t index) const {
  std::string out;
  appendPath(out, index);
  return out;
}

std::string Index::directoryPath(std::uint32_t slot) const {
  const std::uint32_t entry = directories_[slot].entry;
  return entry == kNone ? std::string() : path(entry);
}

void Index::shrink() {
  entries_.shrink_to_fit();
  hot_.shrink_to_fit();
  modified_.shrink_to_fit();
  names_.shrink_to_fit();
}

}  // namespace fff

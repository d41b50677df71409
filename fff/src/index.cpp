#include "index.h"

#include <algorithm>
#include <stdexcept>

namespace fff {

Index::Index() {
  directories_.emplace_back();
  folders_.emplace_back();
  children_.emplace_back();
}

void Index::indexChildren() {
  if (childrenIndexed_) return;
  // Counted first, so that each folder's list is allocated once.
  std::vector<std::uint32_t> counts(directories_.size());
  for (const Entry& entry : entries_.span())
    if (entry.kind != Kind::removed) ++counts[entry.parent];
  children_.assign(directories_.size(), {});
  for (std::size_t slot = 0; slot < counts.size(); ++slot)
    children_[slot].reserve(counts[slot]);
  for (std::uint32_t at = 0; at < entries_.size(); ++at)
    if (entries_[at].kind != Kind::removed) children_[entries_[at].parent].push_back(at);
  childrenIndexed_ = true;
}

void Index::forgetChildren() {
  std::vector<std::vector<std::uint32_t>>().swap(children_);
  childrenIndexed_ = false;
}

void Index::ownEverything() {
  entries_.detach();
  details_.detach();
  modified_.detach();
  directories_.detach();
  folders_.detach();
  lastWithName_.detach();
  previousWithName_.detach();
  names_.ownEverything();
  backing_.reset();
}

bool Index::readInPlace() const {
  return entries_.inPlace() && details_.inPlace() && modified_.inPlace() && directories_.inPlace() &&
         folders_.inPlace() && lastWithName_.inPlace() && previousWithName_.inPlace() && names_.readInPlace();
}

void Index::reserve(std::size_t entries, std::size_t directories) {
  entries_.reserve(entries);
  details_.reserve(entries);
  modified_.reserve(entries);
  previousWithName_.reserve(entries);
  directories_.reserve(directories);
  folders_.reserve(directories);
  children_.reserve(directories);
}

std::uint32_t Index::add(std::uint32_t parentDirectory, const Listed& listed) {
  return addNamed(parentDirectory, names_.intern(listed.name), listed);
}

std::uint32_t Index::addNamed(std::uint32_t parentDirectory, std::uint32_t name, const Listed& listed) {
  if (entries_.size() >= kNone - 1) throw std::length_error("The index is full.");
  const auto index = static_cast<std::uint32_t>(entries_.size());
  Entry entry{};
  entry.name = name;
  entry.parent = parentDirectory;
  entry.kind = listed.kind;
  Details details{};
  details.size = listed.kind == Kind::directory ? 0 : listed.size;
  details.directory = kNone;
  details.symlink = listed.symlink;
  details.detailed = listed.detailed;
  const std::size_t nameLength = names_.text(entry.name).size();
  const std::uint32_t folder = directories_[parentDirectory].entry;
  if (folder == kNone) {
    entry.depth = 0;
    entry.pathLength = static_cast<std::uint16_t>(nameLength);
  } else {
    entry.depth = static_cast<std::uint16_t>(std::min(entries_[folder].depth + 1, int{UINT16_MAX}));
    entry.pathLength = static_cast<std::uint16_t>(
        std::min<std::size_t>(entries_[folder].pathLength + 1u + nameLength, UINT16_MAX));
  }
  if (listed.kind == Kind::directory) {
    details.directory = static_cast<std::uint32_t>(directories_.size());
    if (childrenIndexed_) children_.emplace_back();
    Directory& directory = directories_.emplace_back();
    directory.entry = index;
    directory.device = listed.device;
    directory.inode = listed.inode;
    directory.stamp = listed.stamp;
    folders_.push_back({entry.name, parentDirectory});
  }
  entries_.push_back(entry);
  details_.push_back(details);
  modified_.push_back(listed.modified);
  names_.counted(entry.name, listed.kind == Kind::directory);
  if (entry.name >= lastWithName_.size()) lastWithName_.resize(entry.name + 1, kNone);
  previousWithName_.push_back(lastWithName_[entry.name]);
  lastWithName_.change(entry.name) = index;
  if (childrenIndexed_) children_[parentDirectory].push_back(index);
  ++live_;
  return index;
}

void Index::update(std::uint32_t index, const Listed& listed) {
  Details& details = details_.change(index);
  details.symlink = listed.symlink;
  details.detailed = details.detailed || listed.detailed;
  if (listed.detailed) {
    details.size = entries_[index].kind == Kind::directory ? 0 : listed.size;
    modified_.change(index) = listed.modified;
  }
}

void Index::describeDirectory(std::uint32_t slot, const Listed& self) {
  Directory& directory = directories_.change(slot);
  directory.device = self.device;
  directory.inode = self.inode;
  directory.stamp = self.stamp;
  if (directory.entry != kNone && self.detailed) update(directory.entry, self);
}

void Index::detail(std::uint32_t index, std::uint64_t size, std::int64_t modified) {
  Details& details = details_.change(index);
  details.size = entries_[index].kind == Kind::directory ? 0 : size;
  details.detailed = true;
  modified_.change(index) = modified;
}

std::vector<std::uint32_t> Index::remove(std::uint32_t index) {
  std::vector<std::uint32_t> removed;
  const Entry& top = entries_[index];
  if (top.kind == Kind::removed) return removed;
  indexChildren();
  auto& siblings = children_[top.parent];
  siblings.erase(std::remove(siblings.begin(), siblings.end(), index), siblings.end());

  std::vector<std::uint32_t> pending{index};
  while (!pending.empty()) {
    const std::uint32_t at = pending.back();
    pending.pop_back();
    Entry& entry = entries_.change(at);
    if (entry.kind == Kind::removed) continue;
    const std::uint32_t slot = details_[at].directory;
    if (slot != kNone) {
      removed.push_back(slot);
      directories_.change(slot).alive = false;
      folders_.change(slot) = Folder{};
      pending.insert(pending.end(), children_[slot].begin(), children_[slot].end());
      std::vector<std::uint32_t>().swap(children_[slot]);
    }
    names_.uncounted(entry.name, entry.kind == Kind::directory);
    entry.kind = Kind::removed;
    --live_;
  }
  return removed;
}

void Index::appendPath(std::string& out, std::uint32_t index) const {
  const std::size_t start = out.size();
  out.resize(start + entries_[index].pathLength);
  std::size_t end = out.size();
  for (std::uint32_t at = index; at != kNone;) {
    const Entry& entry = entries_[at];
    const std::string_view part = names_.text(entry.name);
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
    out.append(names_.folded(entries_[*it].name));
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

std::string Index::absoluteDirectoryPath(const std::string& root, std::uint32_t slot) const {
  const std::string relative = directoryPath(slot);
  if (relative.empty()) return root;
  return root.back() == '/' ? root + relative : root + "/" + relative;
}

void Index::shrink() {
  entries_.shrink_to_fit();
  details_.shrink_to_fit();
  lastWithName_.shrink_to_fit();
  previousWithName_.shrink_to_fit();
  modified_.shrink_to_fit();
  directories_.shrink_to_fit();
  folders_.shrink_to_fit();
  names_.shrink();
  children_.shrink_to_fit();
}

}  // namespace fff

#include "entry_splitter.h"

#include <algorithm>
#include <string_view>

#include "quillo/clipboard/clipboard_category.h"
#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {
namespace {

// The words a tag adds to its entry's index words.
void addTagWords(const ClipboardTag& tag, std::vector<std::string_view>& words) {
  switch (tag.key) {
    case ClipboardTag::Key::category:
      if (const auto category = clipboardCategoryFromRaw(tag.value)) {
        for (std::string_view word : searchWords(*category))
          words.push_back(word);
      }
      return;
    case ClipboardTag::Key::site:
    case ClipboardTag::Key::linkSite: {
      // Every label of the host but the top-level domain: "docs.example.org" gives docs, example.
      std::vector<std::string_view> pieces;
      std::string_view rest(tag.value);
      while (!rest.empty()) {
        const auto dot = rest.find('.');
        const std::string_view piece = rest.substr(0, dot);
        if (!piece.empty()) pieces.push_back(piece);
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
      }
      if (pieces.size() >= 2) words.insert(words.end(), pieces.begin(), pieces.end() - 1);
      return;
    }
    default:
      // The source application's name is indexed directly; bundle ids, pages and extensions are not words.
      return;
  }
}

constexpr std::uint32_t kNever = ~std::uint32_t{0};

}  // namespace

void EntrySplitter::split(SplitEntry& split, std::uint32_t position) {
  split.splitter = number_;
  const ClipboardEntry& entry = split.entry;
  split.label = fold(entry.title);
  split.titleLength = static_cast<std::uint32_t>(split.label.size());
  split.label += ' ';
  split.label += fold(entry.sourceAppName);
  const auto record = [&](std::string_view word, const WordTable::Key& key, bool own) {
    const auto [id, added] = table_.intern(word, key);
    if (added) lastSeen_.push_back(kNever);
    if (lastSeen_[id] == position) return;
    lastSeen_[id] = position;
    split.words.push_back(id);
    // Title and text are split first, so their words stay ahead of the others.
    if (own) ++split.ownWordCount;
  };
  // A text's words are listed first, then looked up with the bucket of a word a few places ahead
  // prefetched, so that the table lookups overlap instead of waiting for memory one by one.
  const auto scan = [&](std::string_view text, bool own) {
    words_.clear();
    scanner_.scan(text, [&](std::string_view word) { words_.push_back(word); });
    constexpr std::size_t kAhead = 8;
    const std::size_t count = words_.size();
    keys_.resize(count);
    for (std::size_t index = 0; index < std::min(count, kAhead); ++index) {
      keys_[index] = WordTable::keyOfPadded(words_[index]);
      table_.prefetch(keys_[index]);
    }
    for (std::size_t index = 0; index < count; ++index) {
      if (index + kAhead < count) {
        keys_[index + kAhead] = WordTable::keyOfPadded(words_[index + kAhead]);
        table_.prefetch(keys_[index + kAhead]);
      }
      record(words_[index], keys_[index], own);
    }
  };
  scan(entry.title, true);
  scan(entry.text, true);
  if (entry.imageText) scan(*entry.imageText, false);
  scan(entry.sourceAppName, false);
  std::vector<std::string_view> tagWords;
  if (const auto category = clipboardCategoryFromRaw(rawValue(entry.kind))) {
    for (std::string_view word : searchWords(*category))
      tagWords.push_back(word);
  }
  for (const ClipboardTag& tag : entry.tags)
    addTagWords(tag, tagWords);
  for (std::string_view word : tagWords)
    scan(word, false);
}

}  // namespace quillo::clipboard

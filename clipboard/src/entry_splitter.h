#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/clipboard/clipboard_entry.h"
#include "word_scanner.h"
#include "word_table.h"

namespace quillo::clipboard {

// An entry on its way into the index, with its words numbered by the splitter that found them.
struct SplitEntry {
  ClipboardEntry entry;
  // The folded title, a space and the folded application name.
  std::string label;
  std::uint32_t titleLength = 0;
  // Every index word, each once; those of the title and text come first.
  std::vector<std::uint32_t> words;
  std::uint32_t ownWordCount = 0;
  unsigned splitter = 0;
};

// Splits entries into their index words on one thread, numbering each distinct word once, so
// that the index learns a word once per splitter rather than once per entry.
class EntrySplitter {
 public:
  explicit EntrySplitter(unsigned number) : number_(number) {}

  // Splits the entry found at `position` of its batch.
  void split(SplitEntry& split, std::uint32_t position);

  const std::vector<std::string>& words() const { return table_.words(); }

 private:
  std::uint32_t number_;
  WordScanner scanner_;
  WordTable table_;
  // The last position each word was seen at, so that an entry lists a word once.
  std::vector<std::uint32_t> lastSeen_;
  // The words of the text being split, and their keys.
  std::vector<std::string_view> words_;
  std::vector<WordTable::Key> keys_;
};

}  // namespace quillo::clipboard

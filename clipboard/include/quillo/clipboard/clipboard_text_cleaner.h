#pragma once

#include <string>
#include <string_view>

namespace quillo::clipboard {

// Turns Markdown-formatted text into plain text: the clean-text action of the history window.
//
// The text is parsed as GitHub-flavoured Markdown (tables, strikethrough, task lists and
// autolinks) and rendered without markup: headings and paragraphs as their text, emphasis
// without its markers, a link as its text followed by the address in parentheses (once when
// they are the same, and a bare address the autolinker turned into a link as it was written),
// lists without bullets or numbers, one item per line, code as it is, blocks separated by a blank
// line. Soft line breaks stay line breaks, so text without Markdown keeps its lines. A table
// gives each cell's text on a line of its own, row after row, head first; a cell's text is its
// inline content without markup. Thematic breaks are left out. Raw HTML is kept as written. The result is
// trimmed of white space and line breaks at both ends.
//
// Stateless; safe from any thread.
class ClipboardTextCleaner {
 public:
  static std::string clean(std::string_view text);
};

}  // namespace quillo::clipboard

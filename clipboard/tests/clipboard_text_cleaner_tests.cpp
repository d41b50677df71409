#include <gtest/gtest.h>

#include "quillo/clipboard/clipboard_text_cleaner.h"

namespace quillo::clipboard {
namespace {

struct CleaningCase {
  const char* name;
  const char* markdown;
  const char* clean;
};

TEST(ClipboardTextCleaner, RendersMarkdownAsPlainText) {
  const CleaningCase cases[] = {
      {"heading, blank line, emphasis and a link",
       "# Release notes\n\nThe **new** build is *out*, see [the notes](https://example.org/notes).",
       "Release notes\n\nThe new build is out, see the notes (https://example.org/notes)."},
      {"link whose text is its address", "[https://example.org](https://example.org)", "https://example.org"},
      {"autolink in angle brackets", "<https://example.org/a>", "https://example.org/a"},
      {"bare address and e-mail read as written", "Go to www.example.org or mail a@example.org",
       "Go to www.example.org or mail a@example.org"},
      {"link without text", "[](https://example.org)", "https://example.org"},
      {"image with alternative text", "![A cat](cat.png)", "A cat (cat.png)"},
      {"unordered list loses its bullets", "- one\n- two\n* three", "one\ntwo\n\nthree"},
      {"ordered list loses its numbers", "1. first\n2. second", "first\nsecond"},
      {"nested list", "- a\n  - b\n- c", "a\nb\nc"},
      {"task list", "- [x] done\n- [ ] open", "done\nopen"},
      {"fenced code keeps its text", "```swift\nlet a = 1\nlet b = 2\n```\nafter",
       "let a = 1\nlet b = 2\n\n\nafter"},
      {"inline code", "Run `make test` now", "Run make test now"},
      {"block quote", "> quoted\n> more", "quoted\nmore"},
      {"strikethrough", "~~gone~~ here", "gone here"},
      {"table cells one per line", "| a | b |\n|---|---|\n| 1 | **2** |", "a\nb\n1\n2"},
      {"thematic break is left out", "above\n\n---\n\nbelow", "above\n\nbelow"},
      {"hard line break", "one  \ntwo", "one\ntwo"},
      {"plain text keeps its single line breaks", "  line one\nline two\n\nnext paragraph \n",
       "line one\nline two\n\nnext paragraph"},
      {"raw html stays", "<b>bold</b> text", "<b>bold</b> text"},
      {"empty", "   ", ""},
  };
  for (const auto& [name, markdown, clean] : cases)
    EXPECT_EQ(ClipboardTextCleaner::clean(markdown), clean) << name;
}

}  // namespace
}  // namespace quillo::clipboard

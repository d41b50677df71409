#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "streamed_filter.h"

namespace quillo::cli {
namespace {

// Paths and names of mixed kinds: plain ASCII, accented, ill-formed UTF-8, CR LF endings, and
// one line far longer than a piece.
std::string sampleInput() {
  std::string text;
  for (int i = 0; i < 40000; ++i) {
    switch (i % 7) {
      case 0:
        text += "/usr/share/doc/lib" + std::to_string(i % 500) + "/changelog.gz\n";
        break;
      case 1:
        text += "Lock Screen " + std::to_string(i) + "\r\n";
        break;
      case 2:
        text += "caf\xC3\xA9 conf " + std::to_string(i % 90) + "\n";
        break;
      case 3:
        text +=
            "bad\xFF"
            "conf" +
            std::to_string(i) + "\n";
        break;
      case 4:
        text += "\n";
        break;
      case 5:
        text += "/etc/gtk-3.0/widget" + std::to_string(i % 40) + ".conf\n";
        break;
      default:
        text += "lock\n";
        break;
    }
    if (i == 20000) text += std::string(50000, 'c') + "onf\n";
  }
  text += "conf without an ending";
  return text;
}

FilteredInput filterThroughPipe(const std::string& text, std::string_view query,
                                const core::TitleFilterOptions& options) {
  int ends[2];
  EXPECT_EQ(pipe(ends), 0);
  // The writer sends odd-sized pieces, so that reads end in the middle of lines.
  std::jthread writer([&] {
    for (std::size_t at = 0; at < text.size(); at += 7777) {
      const std::size_t size = std::min<std::size_t>(7777, text.size() - at);
      EXPECT_EQ(write(ends[1], text.data() + at, size), static_cast<ssize_t>(size));
    }
    close(ends[1]);
  });
  FilteredInput result = filterInput(ends[0], query, options, {.pieceBytes = 4096, .threads = 2});
  writer.join();
  close(ends[0]);
  return result;
}

TEST(StreamedFilter, PipedInputMatchesExactlyAsTheWholeInputAtOnce) {
  const std::string text = sampleInput();
  const InputLines whole = InputLines::fromText(text);
  for (const core::TitleFilterOptions options :
       {core::TitleFilterOptions{}, core::TitleFilterOptions{.limit = 30}}) {
    for (const char* query : {"conf", "lock", "l", "cafe", "zzqqxx"}) {
      const FilteredInput streamed = filterThroughPipe(text, query, options);
      EXPECT_EQ(streamed.lines.lines(), whole.lines()) << query;
      EXPECT_EQ(streamed.hits, core::filterTitles(whole.lines(), query, options)) << query;
    }
  }
}

// Megabytes of input go into blocks made present as the reads reach them; lines cut across
// blocks and the unused end of the last one must not show.
TEST(StreamedFilter, InputOfManyMegabytesIsReadWhole) {
  std::string text;
  while (text.size() < (std::size_t{10} << 20))
    text += sampleInput() + "\n";
  const InputLines whole = InputLines::fromText(text);
  const FilteredInput streamed = filterThroughPipe(text, "conf", {});
  EXPECT_EQ(streamed.lines.lines(), whole.lines());
  EXPECT_EQ(streamed.hits, core::filterTitles(whole.lines(), "conf", {}));
}

}  // namespace
}  // namespace quillo::cli

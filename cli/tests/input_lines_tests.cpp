#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "input_lines.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::cli {
namespace {

using Lines = std::vector<std::string_view>;

TEST(InputLines, SplitsOnLineFeedsToleratingCarriageReturnsAndIllFormedUtf8) {
  EXPECT_EQ(InputLines::fromText("a\r\nb\nc").lines(), (Lines{"a", "b", "c"}));
  EXPECT_EQ(InputLines::fromText("a\n\nb\n").lines(), (Lines{"a", "", "b"}));
  EXPECT_EQ(InputLines::fromText("\n").lines(), (Lines{""}));
  EXPECT_TRUE(InputLines::fromText("").lines().empty());
  // Only the carriage return of a line ending goes.
  EXPECT_EQ(InputLines::fromText("a\rb\r\n").lines(), (Lines{"a\rb"}));
  EXPECT_EQ(InputLines::fromText("caf\xC3\xA9\nbad\xFF\n").lines(), (Lines{"café", "bad\uFFFD"}));
}

TEST(InputLines, LargeInputsSplitInPiecesKeepEveryLineInOrder) {
  std::string text;
  for (int i = 0; i < 300000; ++i)
    text += (i % 1000 == 0 ? "ünï\xFE" : "line") + std::to_string(i) + "\n";
  text += "last";
  const InputLines lines = InputLines::fromText(text);
  ASSERT_EQ(lines.lines().size(), 300001u);
  EXPECT_EQ(lines.lines()[0], "ünï\uFFFD0");
  EXPECT_EQ(lines.lines()[1], "line1");
  EXPECT_EQ(lines.lines()[123457], "line123457");
  EXPECT_EQ(lines.lines()[299000], "ünï\uFFFD299000");
  EXPECT_EQ(lines.lines().back(), "last");
}

TEST(InputLines, ReadsFilesAndPipesAlike) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "list.txt", "one\ntwo\r\n");
  const int file = open((folder / "list.txt").c_str(), O_RDONLY);
  ASSERT_GE(file, 0);
  EXPECT_EQ(InputLines::read(file).lines(), (Lines{"one", "two"}));
  close(file);

  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  ASSERT_EQ(write(pipeEnds[1], "x\ny", 3), 3);
  close(pipeEnds[1]);
  EXPECT_EQ(InputLines::read(pipeEnds[0]).lines(), (Lines{"x", "y"}));
  close(pipeEnds[0]);
}

}  // namespace
}  // namespace quillo::cli

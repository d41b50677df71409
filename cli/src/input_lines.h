#pragma once

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::cli {

// Lines read whole from a file descriptor: one entry a line, the line ending (LF or CR LF)
// removed and ill-formed UTF-8 replaced by U+FFFD. A last line without an ending counts; an
// empty input has no lines. A regular file is mapped rather than copied. The views stay valid
// for the life of the object.
class InputLines {
 public:
  // A stretch of the input that begins at a line start and ends after a line ending (or at the
  // end of the input), with its lines once split.
  struct Piece {
    // Keeps the block that a piece's bytes lie in, which other pieces may share, for as long as
    // the piece; it leaves the piece move-only, so that its lines' repaired text never moves.
    struct SharedBlock {
      std::shared_ptr<const char> block;
      void operator()(const char*) const noexcept {}
    };
    std::unique_ptr<const char[], SharedBlock> bytes;
    std::size_t size = 0;
    std::vector<std::string_view> lines;
    // The lines that needed repair; a deque never moves what it holds.
    std::deque<std::string> repaired;

    std::string_view text() const { return {bytes.get(), size}; }
  };

  static InputLines read(int fd);
  static InputLines fromText(std::string text);
  // The lines of consecutive pieces, each already split.
  static InputLines fromPieces(std::vector<Piece> pieces);

  InputLines(InputLines&&) noexcept;
  InputLines& operator=(InputLines&&) noexcept;
  ~InputLines();

  const std::vector<std::string_view>& lines() const noexcept { return lines_; }

 private:
  struct Mapping;
  InputLines(std::string text, std::unique_ptr<Mapping> mapping);
  void split(std::string_view all);

  std::string text_;
  std::unique_ptr<Mapping> mapping_;
  std::vector<Piece> pieces_;
  // Repaired lines, one store per piece read in parallel; a deque never moves what it holds.
  std::vector<std::deque<std::string>> repaired_;
  std::vector<std::string_view> lines_;
};

// Splits one piece into its lines (see InputLines), appending them to `lines` and keeping the
// repaired ones in `repaired`.
void splitLines(std::string_view piece, std::vector<std::string_view>& lines,
                std::deque<std::string>& repaired);

// Throws the failed read's error (errno) as the input's.
[[noreturn]] void failReading();

}  // namespace quillo::cli

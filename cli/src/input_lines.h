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
  static InputLines read(int fd);
  static InputLines fromText(std::string text);

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
  // Repaired lines, one store per piece read in parallel; a deque never moves what it holds.
  std::vector<std::deque<std::string>> repaired_;
  std::vector<std::string_view> lines_;
};

}  // namespace quillo::cli

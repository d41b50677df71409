#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::cli {

// Lines read whole from a stream: one entry a line, the line ending (LF or CR LF) removed and
// ill-formed UTF-8 replaced by U+FFFD. A last line without an ending counts; an empty input has
// no lines. The views stay valid for the life of the object.
class InputLines {
 public:
  static InputLines read(std::FILE* stream);
  static InputLines fromText(std::string text);

  const std::vector<std::string_view>& lines() const noexcept { return lines_; }

 private:
  explicit InputLines(std::string text);

  std::string text_;
  std::deque<std::string> repaired_;
  std::vector<std::string_view> lines_;
};

}  // namespace quillo::cli

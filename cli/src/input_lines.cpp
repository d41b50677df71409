#include "input_lines.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "quillo/base/unicode.h"

namespace quillo::cli {

InputLines InputLines::read(std::FILE* stream) {
  std::string text;
  std::vector<char> buffer(1 << 20);
  while (true) {
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), stream);
    text.append(buffer.data(), count);
    if (count < buffer.size()) {
      if (std::ferror(stream)) throw std::system_error(errno, std::generic_category(), "cannot read the input");
      break;
    }
  }
  return InputLines(std::move(text));
}

InputLines InputLines::fromText(std::string text) { return InputLines(std::move(text)); }

InputLines::InputLines(std::string text) : text_(std::move(text)) {
  const std::string_view all(text_);
  std::size_t start = 0;
  while (start < all.size()) {
    const void* newline = std::memchr(all.data() + start, '\n', all.size() - start);
    const std::size_t end = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - all.data())
                                    : all.size();
    std::string_view line = all.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!base::isAscii(line)) {
      std::string repaired = base::sanitizedUtf8(line);
      if (repaired != line) line = repaired_.emplace_back(std::move(repaired));
    }
    lines_.push_back(line);
    start = end + 1;
  }
}

}  // namespace quillo::cli

#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quillo::cli {

// Collects output in one block and writes it in large pieces: hundreds of thousands of short
// lines cost a few writes, not one each. Writes what is left when destroyed.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* stream) : stream_(stream) { buffer_.reserve(kCapacity); }
  ~OutputBuffer() { flush(); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void append(std::string_view text) {
    if (buffer_.size() + text.size() > kCapacity) flush();
    buffer_.append(text);
  }

  void flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stream_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  std::FILE* stream_;
  std::string buffer_;
};

}  // namespace quillo::cli

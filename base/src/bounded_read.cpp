#include "quillo/base/bounded_read.h"

#include <algorithm>
#include <array>

namespace quillo::base {

std::optional<std::string> readAtMost(std::istream& stream, std::size_t limit) {
  std::string bytes;
  std::array<char, 64 * 1024> chunk{};
  while (stream) {
    const std::size_t wanted = std::min(chunk.size(), limit - bytes.size() + 1);
    stream.read(chunk.data(), static_cast<std::streamsize>(wanted));
    bytes.append(chunk.data(), static_cast<std::size_t>(stream.gcount()));
    if (bytes.size() > limit) return std::nullopt;
  }
  return bytes;
}

}  // namespace quillo::base

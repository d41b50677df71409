#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>

namespace quillo::base {

// The rest of a stream, or absent when it holds more than `limit` bytes. Reading stops one byte
// past the limit, so a source that never ends (/dev/zero, a pipe that keeps writing) costs at
// most limit + 1 bytes. A read error leaves `stream.bad()` set and returns what was read.
std::optional<std::string> readAtMost(std::istream& stream, std::size_t limit);

}  // namespace quillo::base

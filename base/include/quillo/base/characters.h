#pragma once

#include <cstddef>
#include <string_view>

namespace quillo::base {

// The number of user-perceived characters (extended grapheme clusters) of UTF-8 text: "é" typed
// as e and a combining accent is one, a flag is one.
std::size_t characterCount(std::string_view text);

}  // namespace quillo::base

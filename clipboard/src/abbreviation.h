#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillo::clipboard {

// The Unicode scalars of UTF-8 text; ill-formed bytes read as U+FFFD.
std::u32string scalarsOf(std::string_view text);

// One bit per scalar value modulo 64: letters whose bits a label lacks cannot abbreviate it.
std::uint64_t scalarMask(std::u32string_view scalars);

// isAbbreviation over a label already decoded into scalars.
bool abbreviates(std::u32string_view letters, std::u32string_view label);

}  // namespace quillo::clipboard

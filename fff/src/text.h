#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace fff {

// Byte tables for comparing names: ASCII letters lower-cased, every other byte kept, so that
// names which are not valid UTF-8 compare as their bytes.
using ByteTable = std::array<std::uint8_t, 256>;
const ByteTable& lowerTable();
const ByteTable& identityTable();

// Folds a name for case-insensitive matching. ASCII names are returned unchanged (the lower
// table folds them while matching, which saves storing a second copy); valid UTF-8 with other
// characters is case-folded with ICU; invalid UTF-8 is kept as bytes.
bool needsFolding(std::string_view name);
std::string foldCase(std::string_view text);

// One bit per letter and digit present (after ASCII lower-casing), per ".", "_" and "-", and
// one of a few for every other byte a query can contain. A text can only contain a query whose
// bits it has.
using CharMask = std::uint64_t;
CharMask charMask(std::string_view text);
// The one bit no byte has (bytes take bits 0 to 62): a name table sets it in a name's mask while
// a folder carries the name, so that a folder search passes over the others by their masks alone.
inline constexpr CharMask kFolderNameBit = CharMask{1} << 63;
CharMask charBit(std::uint8_t byte);

}  // namespace fff

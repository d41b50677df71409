#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillo::clipboard {

// The hashes of a word's deletion keys: the word itself and the word with one character left
// out, at each position in turn. Words one edit apart share a key, so a typo is found by a few
// lookups; a hash shared by chance is weeded out by the one-edit test. Thirty-two bits: a history
// holds hundreds of thousands of keys, and a chance match costs one test, not a wrong result.
std::vector<std::uint32_t> deletionKeyHashes(std::string_view word);

}  // namespace quillo::clipboard

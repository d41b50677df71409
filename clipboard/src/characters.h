#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Text measured in characters as people see them (grapheme clusters), through ICU. Budgets on
// titles and recognised text cut here so that no character is ever split.
namespace quillo::clipboard::characters {

bool isValidUtf8(std::string_view text) noexcept;

// The text without white space and line breaks at either end.
std::string_view trimmed(std::string_view text) noexcept;

// The text's characters, each as its UTF-8 bytes. Ill-formed bytes read as U+FFFD.
std::vector<std::string> clusters(std::string_view text);

// The first `count` characters (the whole text when it has fewer).
std::string prefix(std::string_view text, std::size_t count);

// The longest run of whole leading characters whose UTF-8 length is at most `bytes`.
std::string prefixWithinBytes(std::string_view text, std::size_t bytes);

}  // namespace quillo::clipboard::characters

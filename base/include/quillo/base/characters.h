#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Text measured in user-perceived characters (extended grapheme clusters), through ICU: "é" typed
// as e and a combining accent is one, a flag is one, CR LF is one. Budgets cut here so that no
// character is ever split. Ill-formed bytes read as U+FFFD. Safe to call from any thread.
namespace quillo::base {

std::size_t characterCount(std::string_view text);

// Whether the text has more than `limit` characters; counting stops there, so that a long text
// costs no more than its first `limit` characters.
bool hasMoreCharactersThan(std::string_view text, std::size_t limit);

// The text's characters, each as its UTF-8 bytes.
std::vector<std::string> characterClusters(std::string_view text);

// The first `count` characters (the whole text when it has fewer).
std::string characterPrefix(std::string_view text, std::size_t count);

// The longest run of whole leading characters whose UTF-8 length is at most `bytes`.
std::string characterPrefixWithinBytes(std::string_view text, std::size_t bytes);

}  // namespace quillo::base

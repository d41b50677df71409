#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the history's search sees text: folded, then split into words.
namespace quillo::clipboard {

// The text with case and diacritics folded away ("Émile" and "EMILE" both fold to "emile"), the
// same whatever the user's language. Ill-formed UTF-8 reads as U+FFFD.
std::string fold(std::string_view text);

// Whether a scalar belongs to a word: an ASCII letter or digit, or a non-ASCII letter or number.
bool isWordScalar(char32_t scalar);

// The maximal runs of word scalars of the folded text; spaces, punctuation, symbols and emoji
// separate words.
std::vector<std::string> words(std::string_view text);

}  // namespace quillo::clipboard

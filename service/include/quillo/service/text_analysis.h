#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillo::service {

// The words of a text for ranking: lower-cased (ICU, root locale), split at everything that is
// not a letter or a digit, apostrophes dropped inside words ("don't" is "dont"). Pure.
std::vector<std::string> rankingWords(std::string_view text);

// The English Snowball stem of a lower-case word ("louder" → "louder", "screenshots" →
// "screenshot"). Safe from any thread: each thread keeps its own stemmer.
std::string stem(std::string_view word);

}  // namespace quillo::service

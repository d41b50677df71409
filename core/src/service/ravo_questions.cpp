#include "quillo/core/service/ravo_questions.h"

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core::RavoQuestions {
namespace {

std::string_view trimmedSpacesAndTabs(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::size_t spaceSeparatedWordCount(std::string_view text) {
  std::size_t count = 0;
  bool inWord = false;
  for (const char c : text) {
    if (c == ' ') {
      inWord = false;
    } else if (!inWord) {
      inWord = true;
      ++count;
    }
  }
  return count;
}

}  // namespace

bool shouldAsk(std::string_view query, std::optional<int> bestLocalScore) {
  const std::string_view trimmed = trimmedSpacesAndTabs(query);
  if (base::characterCount(trimmed) < minimumQueryLength) return false;
  if (!bestLocalScore || *bestLocalScore < FuzzyMatcher::strongMatch) return true;
  // A strong local hit settles a name; a sentence may still mean something else.
  return spaceSeparatedWordCount(trimmed) >= sentenceWordCount;
}

std::vector<WordRange> spans(std::size_t wordCount) {
  std::vector<WordRange> ranges;
  ranges.reserve(wordCount * (wordCount + 1) / 2);
  for (std::size_t begin = 0; begin < wordCount; ++begin) {
    for (std::size_t end = begin + 1; end <= wordCount; ++end)
      ranges.push_back({begin, end});
  }
  return ranges;
}

std::string normalized(std::string_view query) {
  return base::lowercased(trimmedSpacesAndTabs(query));
}

}  // namespace quillo::core::RavoQuestions

#pragma once

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/clipboard/data_detector.h"

// The date and address recognisers behind DataDetector. Positions are UTF-16 code units.
namespace quillo::clipboard::recognizers {

// Pattern pieces: a match starts and ends where no letter or digit touches it.
inline const std::u16string kBefore = uR"((?<![\p{L}\p{N}]))";
inline const std::u16string kAfter = uR"((?![\p{L}\p{N}]))";

std::vector<DetectedMatch> dates(const icu::UnicodeString& text);
std::vector<DetectedMatch> addresses(const icu::UnicodeString& text);

// A compiled ICU pattern; compiling a pattern the program ships must not fail.
std::unique_ptr<icu::RegexPattern> compile(std::u16string_view pattern, uint32_t flags = 0);

// Calls `accept` for each match of `pattern`, left to right. When it refuses a match, the search
// goes on from the next position after the match's start, so a shorter overlapping candidate
// still gets its turn; an accepted match continues after its end.
void forEachMatch(const icu::RegexPattern& pattern, const icu::UnicodeString& text,
                  const std::function<bool(const icu::RegexMatcher&)>& accept);

// The text of a capture group; empty when the group did not take part.
icu::UnicodeString group(const icu::RegexMatcher& matcher, int number);
// A capture group read as a decimal number; -1 when it did not take part.
int number(const icu::RegexMatcher& matcher, int number);

}  // namespace quillo::clipboard::recognizers

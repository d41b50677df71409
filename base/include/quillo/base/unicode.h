#pragma once

#include <string>
#include <string_view>
#include <vector>

// Unicode text helpers over ICU. Text is UTF-8 in std::string; scalars are char32_t.
// All functions are pure and safe to call from any thread.
namespace quillo::base {

// True when every byte is below 0x80.
bool isAscii(std::string_view text) noexcept;

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text) noexcept;

// The text with every ill-formed UTF-8 sequence replaced by U+FFFD.
std::string sanitizedUtf8(std::string_view text);

// The Unicode scalars of the text after full lower-casing (root locale, so the
// result never depends on the user's language). Ill-formed bytes read as U+FFFD.
std::u32string lowercasedScalars(std::string_view text);

// The text split at Unicode white space, empty pieces dropped.
std::vector<std::string> whiteSpaceSeparatedWords(std::string_view text);

// The text without Unicode white space and line breaks at either end; ill-formed bytes are kept.
std::string_view trimmedWhiteSpace(std::string_view text) noexcept;

// The text fully lower-cased (root locale); ill-formed bytes read as U+FFFD.
std::string lowercased(std::string_view text);

// Comparisons of protocol words (URL schemes, option values) that ignore the case of ASCII
// letters only.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept;
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) noexcept;

// UTF-8 for a run of scalars.
std::string utf8(std::u32string_view scalars);

}  // namespace quillo::base

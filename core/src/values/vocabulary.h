#pragma once

#include <optional>
#include <string_view>

#include "quillo/core/values/parsed_query.h"

// The English words and forms the parameter parser reads: lead words, numbers, units, periods.
namespace quillo::core::vocabulary {

enum class Lead { for_, in, after, until, till, til, by, at, to };

std::optional<Lead> leadOf(std::string_view word);
// "until", "till", "til", "by" and "at" may introduce "noon" and "midnight".
bool isClockLead(Lead lead);
// "until", "till", "til" and "by" take a bare hour as a time.
bool isUntilLead(Lead lead);
// Whether a value read after the lead word belongs to it ("for" a duration, "in" a delay, ...).
bool fits(Lead lead, const ParsedValue& value);

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// One to six digits.
std::optional<long long> wholeNumber(std::string_view word);
// "on"/"enable" and "off"/"disable".
std::optional<bool> toggle(std::string_view word);
// "am", "a", "pm", "p", with any full stops ("p.m.").
std::optional<ClockTime::Period> periodOf(std::string_view word);
// "%", "pct", or "per" ... "percent".
bool isPercentWord(std::string_view word);
// At most six characters of digits with one optional full stop inside ("90", "1.5").
std::optional<double> decimalNumber(std::string_view word);
// "zero" ... "nineteen", "hundred".
std::optional<int> smallNumber(std::string_view word);
// "one" ... "nine".
std::optional<int> ones(std::string_view word);
// "twenty" ... "ninety".
std::optional<int> tens(std::string_view word);

// Seconds per unit: "sec", "min", "hr" and their plurals, prefixes of "seconds", "minutes",
// "hours" and "days" of three letters or more, or of one letter after digits (`afterDigits`).
std::optional<double> unit(std::string_view word, bool afterDigits);

struct CompactSpan {
  double seconds;
  double lastUnit;
};
// One word of number-and-unit pieces with shrinking units, each below `limit` ("90s", "1h30m").
std::optional<CompactSpan> compactSpan(std::string_view word, double limit);

}  // namespace quillo::core::vocabulary

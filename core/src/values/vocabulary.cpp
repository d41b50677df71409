#include "vocabulary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <utility>

namespace quillo::core::vocabulary {
namespace {

constexpr std::array<std::pair<std::string_view, Lead>, 9> kLeads{{
    {"for", Lead::for_},
    {"in", Lead::in},
    {"after", Lead::after},
    {"until", Lead::until},
    {"till", Lead::till},
    {"til", Lead::til},
    {"by", Lead::by},
    {"at", Lead::at},
    {"to", Lead::to},
}};

constexpr std::array<std::string_view, 20> kSmallNumbers{
    "zero",     "one",     "two",     "three",     "four",     "five",    "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};

constexpr std::array<std::string_view, 8> kTens{"twenty", "thirty",  "forty",  "fifty",
                                                "sixty",  "seventy", "eighty", "ninety"};

bool isPrefixOf(std::string_view word, std::string_view whole) {
  return !word.empty() && word.size() <= whole.size() && whole.substr(0, word.size()) == word;
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::optional<Lead> leadOf(std::string_view word) {
  for (const auto& [name, lead] : kLeads) {
    if (name == word) return lead;
  }
  return std::nullopt;
}

bool isClockLead(Lead lead) {
  return isUntilLead(lead) || lead == Lead::at;
}

bool isUntilLead(Lead lead) {
  return lead == Lead::until || lead == Lead::till || lead == Lead::til || lead == Lead::by;
}

bool fits(Lead lead, const ParsedValue& value) {
  return std::visit(
      [lead](const auto& reading) {
        using Value = std::decay_t<decltype(reading)>;
        if constexpr (std::is_same_v<Value, parsed::Duration>) return lead == Lead::for_;
        if constexpr (std::is_same_v<Value, parsed::Delay>) return lead == Lead::in || lead == Lead::after;
        if constexpr (std::is_same_v<Value, parsed::Clock>) return isClockLead(lead);
        if constexpr (std::is_same_v<Value, parsed::Percent>) return lead == Lead::at || lead == Lead::to;
        if constexpr (std::is_same_v<Value, parsed::Number>) return !isUntilLead(lead);
        return false;  // a toggle never follows a lead
      },
      value);
}

std::optional<long long> wholeNumber(std::string_view word) {
  if (word.empty() || word.size() > 6 || !std::all_of(word.begin(), word.end(), isDigit)) return std::nullopt;
  long long value = 0;
  std::from_chars(word.data(), word.data() + word.size(), value);
  return value;
}

std::optional<bool> toggle(std::string_view word) {
  if (word == "on" || word == "enable") return true;
  if (word == "off" || word == "disable") return false;
  return std::nullopt;
}

std::optional<ClockTime::Period> periodOf(std::string_view word) {
  std::string letters(word);
  std::erase(letters, '.');
  if (letters == "am" || letters == "a") return ClockTime::Period::am;
  if (letters == "pm" || letters == "p") return ClockTime::Period::pm;
  return std::nullopt;
}

bool isPercentWord(std::string_view word) {
  return word == "%" || word == "pct" || (word.size() >= 3 && isPrefixOf(word, "percent"));
}

std::optional<double> decimalNumber(std::string_view word) {
  if (word.empty() || word.size() > 6 || !isDigit(word.front()) || !isDigit(word.back())) return std::nullopt;
  if (!std::all_of(word.begin(), word.end(), [](char c) { return isDigit(c) || c == '.'; }))
    return std::nullopt;
  if (std::count(word.begin(), word.end(), '.') > 1) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::optional<int> smallNumber(std::string_view word) {
  for (std::size_t index = 0; index < kSmallNumbers.size(); ++index) {
    if (kSmallNumbers[index] == word) return static_cast<int>(index);
  }
  if (word == "hundred") return 100;
  return std::nullopt;
}

std::optional<int> ones(std::string_view word) {
  const auto value = smallNumber(word);
  if (value && *value >= 1 && *value <= 9) return value;
  return std::nullopt;
}

std::optional<int> tens(std::string_view word) {
  for (std::size_t index = 0; index < kTens.size(); ++index) {
    if (kTens[index] == word) return static_cast<int>(index + 2) * 10;
  }
  return std::nullopt;
}

std::optional<double> unit(std::string_view word, bool afterDigits) {
  if (word == "sec" || word == "secs") return 1;
  if (word == "min" || word == "mins") return 60;
  if (word == "hr" || word == "hrs") return 3600;
  if (word.size() < (afterDigits ? 1u : 3u)) return std::nullopt;
  if (isPrefixOf(word, "seconds")) return 1;
  if (isPrefixOf(word, "minutes")) return 60;
  if (isPrefixOf(word, "hours")) return 3600;
  if (word.size() == 2) return std::nullopt;  // "da" is too short to mean days
  if (isPrefixOf(word, "days")) return 86400;
  return std::nullopt;
}

std::optional<CompactSpan> compactSpan(std::string_view word, double limit) {
  double total = 0;
  std::optional<double> last;
  std::size_t at = 0;
  while (at < word.size()) {
    const std::size_t numberStart = at;
    while (at < word.size() && (isDigit(word[at]) || word[at] == '.'))
      ++at;
    const std::size_t letterStart = at;
    while (at < word.size() && isLetter(word[at]))
      ++at;
    if (letterStart == numberStart || at == letterStart) return std::nullopt;
    const auto amount = decimalNumber(word.substr(numberStart, letterStart - numberStart));
    const auto seconds = unit(word.substr(letterStart, at - letterStart), true);
    if (!amount || !seconds || *seconds >= last.value_or(limit)) return std::nullopt;
    total += *amount * *seconds;
    last = seconds;
  }
  if (!last) return std::nullopt;
  return CompactSpan{total, *last};
}

}  // namespace quillo::core::vocabulary

#include "quillo/core/values/parameter_parser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "quillo/base/unicode.h"
#include "vocabulary.h"

namespace quillo::core {
namespace {

using namespace vocabulary;

// A value read at some word and how many words it took.
struct Reading {
  ParsedValue value;
  std::size_t length;
};

// A number as written: its value, its words, and whether it was written in digits.
struct Number {
  double value;
  std::size_t length;
  bool digits;
};

bool isWhole(double value) {
  return value >= 0 && std::floor(value) == value;
}

class Scanner {
 public:
  explicit Scanner(const std::vector<std::string>& words) : words_(words) {}

  std::size_t size() const { return words_.size(); }
  const std::string* word(std::size_t index) const {
    return index < words_.size() ? &words_[index] : nullptr;
  }
  bool wordIs(std::size_t index, std::string_view text) const {
    const std::string* found = word(index);
    return found != nullptr && *found == text;
  }
  bool andAHalfAt(std::size_t index) const {
    return wordIs(index, "and") && wordIs(index + 1, "a") && wordIs(index + 2, "half");
  }

  // A value after a lead word, not yet checked against the lead.
  std::optional<Reading> valueAfterLead(std::size_t p, Lead lead) const {
    if (lead == Lead::for_) {
      if (const auto seconds = hoursAndMinutes(p)) return Reading{parsed::Duration{*seconds}, 1};
    }
    if (auto clock = clockTime(p, lead)) return clock;
    if (auto percentage = percent(p)) return percentage;
    if (const auto length = span(p)) {
      const bool delay = lead == Lead::in || lead == Lead::after;
      return delay ? Reading{parsed::Delay{length->first}, length->second}
                   : Reading{parsed::Duration{length->first}, length->second};
    }
    return wordValue(p);
  }

  std::optional<Reading> valueWithoutLead(std::size_t p) const {
    if (auto clock = clockTime(p, std::nullopt)) return clock;
    if (auto percentage = percent(p)) return percentage;
    if (const auto length = span(p)) return Reading{parsed::Duration{length->first}, length->second};
    return wordValue(p);
  }

 private:
  // A whole number or an on/off word, alone.
  std::optional<Reading> wordValue(std::size_t p) const {
    if (const auto number = wholeNumber(*word(p))) return Reading{parsed::Number{*number}, 1};
    if (const auto on = toggle(*word(p))) return Reading{parsed::Toggle{*on}, 1};
    return std::nullopt;
  }

  // "1:30" after "for": an hour and a half.
  std::optional<long long> hoursAndMinutes(std::size_t p) const {
    const std::string& text = *word(p);
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
      return std::nullopt;
    if (!std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), isDigit) ||
        !isDigit(text[colon + 1]) || !isDigit(text[colon + 2])) {
      return std::nullopt;
    }
    const int hours = std::stoi(text.substr(0, colon));
    const int minutes = std::stoi(text.substr(colon + 1));
    if (minutes > 59) return std::nullopt;
    return hours * 3600LL + minutes * 60LL;
  }

  std::optional<Reading> clockTime(std::size_t p, std::optional<Lead> lead) const {
    const std::string& text = *word(p);
    const bool namesTimes = lead && isClockLead(*lead);
    if (namesTimes && text == "noon") return Reading{parsed::Clock{{12, 0, ClockTime::Period::pm}}, 1};
    if (namesTimes && text == "midnight") return Reading{parsed::Clock{{12, 0, ClockTime::Period::am}}, 1};

    std::size_t at = 0;
    while (at < text.size() && at < 2 && isDigit(text[at]))
      ++at;
    if (at == 0) return std::nullopt;
    const int hour = std::stoi(text.substr(0, at));
    std::optional<int> minute;
    if (at < text.size() && text[at] == ':') {
      if (at + 3 > text.size() || !isDigit(text[at + 1]) || !isDigit(text[at + 2])) return std::nullopt;
      if (at + 3 < text.size() && isDigit(text[at + 3])) return std::nullopt;
      minute = std::stoi(text.substr(at + 1, 2));
      if (*minute > 59) return std::nullopt;
      at += 3;
    }
    std::optional<ClockTime::Period> period;
    std::size_t length = 1;
    if (at < text.size()) {
      period = periodOf(text.substr(at));
      if (!period) return std::nullopt;
    } else if (const std::string* next = word(p + 1); next != nullptr && next->size() >= 2) {
      period = periodOf(*next);
      if (period) length = 2;
    }

    if (period) {
      if (hour < 1 || hour > 12) return std::nullopt;
    } else if (minute) {
      if (hour > 23) return std::nullopt;
    } else if (!lead || !isUntilLead(*lead) || hour > 23) {
      // "at 5" and a bare "5" are numbers, not times.
      return std::nullopt;
    }
    return Reading{parsed::Clock{{hour, minute.value_or(0), period}}, length};
  }

  std::optional<Reading> percent(std::size_t p) const {
    const std::string& text = *word(p);
    if (text.size() >= 2 && text.back() == '%') {
      if (const auto value = wholeNumber(std::string_view(text).substr(0, text.size() - 1))) {
        return Reading{parsed::Percent{*value}, 1};
      }
    }
    const auto amount = number(p);
    if (!amount || !isWhole(amount->value)) return std::nullopt;
    const std::string* sign = word(p + amount->length);
    if (sign == nullptr || !isPercentWord(*sign)) return std::nullopt;
    return Reading{parsed::Percent{static_cast<long long>(amount->value)}, amount->length + 1};
  }

  // A plain number, and "and a half" after a whole one.
  std::optional<Number> number(std::size_t p) const {
    auto plain = plainNumber(p);
    if (plain && isWhole(plain->value) && andAHalfAt(p + plain->length)) {
      plain->value += 0.5;
      plain->length += 3;
    }
    return plain;
  }

  std::optional<Number> plainNumber(std::size_t p) const {
    const std::string* text = word(p);
    if (text == nullptr) return std::nullopt;
    if (const auto decimal = decimalNumber(*text)) return Number{*decimal, 1, true};
    if (*text == "a" || *text == "an") return Number{1, 1, false};
    if (*text == "half") {
      const bool article = wordIs(p + 1, "a") || wordIs(p + 1, "an");
      return Number{0.5, article ? 2u : 1u, false};
    }
    if (const auto small = smallNumber(*text)) return Number{static_cast<double>(*small), 1, false};
    if (const auto hyphen = text->find('-'); hyphen != std::string::npos) {
      const auto tensPart = tens(std::string_view(*text).substr(0, hyphen));
      const auto onesPart = ones(std::string_view(*text).substr(hyphen + 1));
      if (tensPart && onesPart) return Number{static_cast<double>(*tensPart + *onesPart), 1, false};
      return std::nullopt;
    }
    if (const auto tensValue = tens(*text)) {
      if (const std::string* next = word(p + 1)) {
        if (const auto onesValue = ones(*next))
          return Number{static_cast<double>(*tensValue + *onesValue), 2, false};
      }
      return Number{static_cast<double>(*tensValue), 1, false};
    }
    return std::nullopt;
  }

  // "1 hour and 30 minutes", "2 hours and a half", "half an hour", "1h 30m": total seconds and
  // the words taken. Units must shrink from one piece to the next.
  std::optional<std::pair<long long, std::size_t>> span(std::size_t p) const {
    double total = 0;
    double limit = std::numeric_limits<double>::infinity();
    std::size_t j = p;
    while (j < size()) {
      std::size_t at = j;
      if (j > p && wordIs(at, "and")) ++at;
      if (at >= size()) break;
      if (const auto compact = compactSpan(words_[at], limit)) {
        total += compact->seconds;
        limit = compact->lastUnit;
        j = at + 1;
        continue;
      }
      const auto amount = number(at);
      if (!amount) break;
      const std::string* unitWord = word(at + amount->length);
      const auto seconds = unitWord ? unit(*unitWord, amount->digits) : std::nullopt;
      if (!seconds || *seconds >= limit) break;
      total += amount->value * *seconds;
      limit = *seconds;
      j = at + amount->length + 1;
    }
    if (j == p) return std::nullopt;
    if (andAHalfAt(j)) {
      total += limit / 2;
      j += 3;
    }
    const double rounded = std::round(total);
    if (rounded < 0 || rounded > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return std::pair{static_cast<long long>(rounded), j - p};
  }

  const std::vector<std::string>& words_;
};

std::string normalised(std::string_view word) {
  std::string lower = base::lowercased(word);
  while (lower.size() >= 2 && std::string_view(".,!?").find(lower.back()) != std::string_view::npos) {
    lower.pop_back();
  }
  return lower;
}

}  // namespace

ParsedQuery ParameterParser::parse(std::string_view text) {
  const std::vector<std::string> original = base::whiteSpaceSeparatedWords(text);
  std::vector<std::string> words;
  words.reserve(original.size());
  for (const std::string& word : original)
    words.push_back(normalised(word));

  const Scanner scanner(words);
  ParsedQuery parsed;
  std::vector<std::string_view> remainder;
  for (std::size_t i = 0; i < words.size();) {
    const auto lead = leadOf(words[i]);
    if (lead) {
      if (i + 1 < words.size()) {
        if (auto reading = scanner.valueAfterLead(i + 1, *lead); reading && fits(*lead, reading->value)) {
          parsed.values.push_back(reading->value);
          i += 1 + reading->length;
          continue;
        }
      }
    } else if (auto reading = scanner.valueWithoutLead(i)) {
      parsed.values.push_back(reading->value);
      i += reading->length;
      continue;
    }
    // A number that could not be a time stays with its lead ("until 25").
    if (lead && isUntilLead(*lead) && i + 1 < words.size() && wholeNumber(words[i + 1])) {
      remainder.push_back(original[i]);
      remainder.push_back(original[i + 1]);
      i += 2;
      continue;
    }
    remainder.push_back(original[i]);
    ++i;
  }
  for (const std::string_view word : remainder) {
    if (!parsed.remainder.empty()) parsed.remainder += ' ';
    parsed.remainder += word;
  }
  return parsed;
}

}  // namespace quillo::core

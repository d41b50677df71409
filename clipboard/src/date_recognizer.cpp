#include <unicode/locid.h>

#include <array>
#include <string>

#include "recognizers.h"

namespace quillo::clipboard::recognizers {
namespace {

// Pattern pieces, combined into the full patterns below (all case-insensitive).
const std::u16string kMonth =
    uR"((?<mon>january|february|march|april|may|june|july|august|september|october|november|december|)"
    uR"(jan|feb|mar|apr|jun|jul|aug|sept|sep|oct|nov|dec)\.?)";
const std::u16string kWeekday =
    uR"((?:monday|tuesday|wednesday|thursday|friday|saturday|sunday|)"
    uR"(mon|tues|tue|wed|thurs|thur|thu|fri|sat|sun)\.?)";
// A 12-hour time needs "am" or "pm"; a 24-hour time needs its minutes.
const std::u16string kTime =
    uR"((?:(?:1[0-2]|0?[1-9])(?::[0-5]\d(?::[0-5]\d)?)?\s?(?:[ap]\.m\.|[ap]m)|(?:[01]?\d|2[0-3]):[0-5]\d(?::[0-5]\d)?))";
const std::u16string kTimeAfterDate = uR"((?:,?\s+(?:at\s+)?)" + kTime + u")?";
const std::u16string kIsoTime =
    uR"((?:[T\s](?:[01]\d|2[0-3]):[0-5]\d(?::[0-5]\d(?:\.\d+)?)?(?:\s?(?:Z|[+-]\d{2}:?\d{2}|UTC))?)?)";
const std::u16string kOrdinal = uR"((?:st|nd|rd|th)?)";
const std::u16string kYear = uR"((?:,?\s+(?<y>\d{4}))?)";

const std::u16string kIso = kBefore + uR"((?<y>\d{4})-(?<m>\d{1,2})-(?<d>\d{1,2}))" + kIsoTime + kAfter;
const std::u16string kSlashed = kBefore + uR"((?<![./-])(?<a>\d{1,2})/(?<b>\d{1,2})/(?<y>\d{4}|\d{2}))" +
                                kTimeAfterDate + uR"((?![\p{L}\p{N}]|[./-]\d))";
const std::u16string kDotted = kBefore +
                               uR"((?<![./-])(?<a>\d{1,2})(?<s>[.-])(?<b>\d{1,2})\k<s>(?<y>\d{4}))" +
                               kTimeAfterDate + uR"((?![\p{L}\p{N}]|[./-]\d))";
const std::u16string kDayFirst = kBefore + u"(?:" + kWeekday + uR"(,?\s+)?(?:the\s+)?(?<d>\d{1,2}))" +
                                 kOrdinal + uR"(\.?(?:\s+of)?\s+)" + kMonth + kYear + kTimeAfterDate + kAfter;
const std::u16string kMonthFirst = kBefore + u"(?:" + kWeekday + uR"(,?\s+)?)" + kMonth +
                                   uR"(\s+(?<d>\d{1,2}))" + kOrdinal + kYear + kTimeAfterDate + kAfter;
const std::u16string kTimeAlone = uR"((?<![\p{L}\p{N}:.]))" + kTime + uR"((?![\p{L}\p{N}]|:\d))";

enum class Form { iso, numeric, written, time };

struct DatePattern {
  Form form;
  std::unique_ptr<icu::RegexPattern> pattern;
};

const std::array<DatePattern, 6>& patterns() {
  static const std::array<DatePattern, 6> compiled{{
      {Form::iso, compile(kIso, UREGEX_CASE_INSENSITIVE)},
      {Form::numeric, compile(kSlashed, UREGEX_CASE_INSENSITIVE)},
      {Form::numeric, compile(kDotted, UREGEX_CASE_INSENSITIVE)},
      {Form::written, compile(kDayFirst, UREGEX_CASE_INSENSITIVE)},
      {Form::written, compile(kMonthFirst, UREGEX_CASE_INSENSITIVE)},
      {Form::time, compile(kTimeAlone, UREGEX_CASE_INSENSITIVE)},
  }};
  return compiled;
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Whether the day exists in the month; without a year (-1) the 29th of February does.
bool isRealDay(int year, int month, int day) {
  constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[static_cast<std::size_t>(month - 1)]) return false;
  return !(month == 2 && day == 29 && year >= 0 && !isLeapYear(year));
}

// The month a name or abbreviation stands for: its first three letters decide.
int monthNumber(const icu::UnicodeString& name) {
  constexpr std::array<std::u16string_view, 12> kStarts{u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                        u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
  icu::UnicodeString lowered(name);
  lowered.toLower(icu::Locale::getRoot());
  for (std::size_t index = 0; index < kStarts.size(); ++index) {
    if (lowered.startsWith(icu::UnicodeString(kStarts[index].data(), 3))) return static_cast<int>(index) + 1;
  }
  return -1;
}

int groupNumber(const icu::RegexMatcher& matcher, const char16_t* name) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t found = matcher.pattern().groupNumberFromName(icu::UnicodeString(name), status);
  return U_SUCCESS(status) ? found : -1;
}

int namedNumber(const icu::RegexMatcher& matcher, const char16_t* name) {
  const int index = groupNumber(matcher, name);
  return index < 0 ? -1 : number(matcher, index);
}

bool isValid(Form form, const icu::RegexMatcher& matcher) {
  switch (form) {
    case Form::iso:
      return isRealDay(namedNumber(matcher, u"y"), namedNumber(matcher, u"m"), namedNumber(matcher, u"d"));
    case Form::numeric: {
      int year = namedNumber(matcher, u"y");
      if (year >= 0 && year < 100) year += 2000;
      const int a = namedNumber(matcher, u"a");
      const int b = namedNumber(matcher, u"b");
      // Month first or day first: either reading naming a real day makes it a date.
      return isRealDay(year, a, b) || isRealDay(year, b, a);
    }
    case Form::written:
      return isRealDay(namedNumber(matcher, u"y"), monthNumber(group(matcher, groupNumber(matcher, u"mon"))),
                       namedNumber(matcher, u"d"));
    case Form::time:
      return true;
  }
  return false;
}

}  // namespace

std::vector<DetectedMatch> dates(const icu::UnicodeString& text) {
  std::vector<DetectedMatch> found;
  for (const auto& [form, pattern] : patterns()) {
    forEachMatch(*pattern, text, [&, form = form](const icu::RegexMatcher& matcher) {
      if (!isValid(form, matcher)) return false;
      UErrorCode status = U_ZERO_ERROR;
      const int32_t start = matcher.start(status);
      const int32_t end = matcher.end(status);
      found.push_back({.type = DetectedType::date,
                       .start = static_cast<std::size_t>(start),
                       .length = static_cast<std::size_t>(end - start)});
      return true;
    });
  }
  return found;
}

}  // namespace quillo::clipboard::recognizers

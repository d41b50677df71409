#include "quillo/core/files/file_format.h"

#include <fmt/format.h>
#include <unicode/calendar.h>
#include <unicode/measunit.h>
#include <unicode/numberformatter.h>
#include <unicode/rbnf.h>
#include <unicode/timezone.h>
#include <unicode/uchar.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace quillo::core {
namespace {

struct Unit {
  icu::MeasureUnit (*measure)();
  int fractionDigits;
};

// Bytes show whole, kilobytes too; larger units show more of the fraction as they grow.
const std::array<Unit, 6> kUnits = {{{icu::MeasureUnit::getByte, 0},
                                     {icu::MeasureUnit::getKilobyte, 0},
                                     {icu::MeasureUnit::getMegabyte, 1},
                                     {icu::MeasureUnit::getGigabyte, 2},
                                     {icu::MeasureUnit::getTerabyte, 2},
                                     {icu::MeasureUnit::getPetabyte, 2}}};

// Building a number formatter reads the locale's data and compiles its settings, tens of
// microseconds where formatting with a built one takes two; spelling out zero parses the
// locale's rules, hundreds. A list of file rows formats its sizes in a few units of one locale:
// each formatter and each zero is made once per locale. ICU's formatters are immutable and may
// be shared by threads.
class Formats {
 public:
  static Formats& shared() {
    static Formats formats;
    return formats;
  }

  std::string format(double value, std::size_t unit, bool wide, const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::string text;
    formatter(unit, wide, locale).formatDouble(value, status).toString(status).toUTF8String(text);
    return U_SUCCESS(status) ? text : fmt::format("{} B", value);
  }

  // "Zero kB": the number spelled out, as a sentence would begin.
  std::string zero(const std::string& locale) {
    {
      const std::lock_guard lock(mutex_);
      if (const auto found = zeros_.find(locale); found != zeros_.end()) return found->second;
    }
    std::string text = spelledZero(locale);
    const std::lock_guard lock(mutex_);
    return zeros_.try_emplace(locale, std::move(text)).first->second;
  }

 private:
  const icu::number::LocalizedNumberFormatter& formatter(std::size_t unit, bool wide,
                                                         const std::string& locale) {
    const std::lock_guard lock(mutex_);
    const auto key = std::make_tuple(locale, unit, wide);
    if (const auto found = formatters_.find(key); found != formatters_.end()) return found->second;
    return formatters_
        .try_emplace(key, icu::number::NumberFormatter::withLocale(icu::Locale(locale.c_str()))
                              .unit(kUnits[unit].measure())
                              .unitWidth(wide ? UNUM_UNIT_WIDTH_FULL_NAME : UNUM_UNIT_WIDTH_SHORT)
                              .precision(icu::number::Precision::maxFraction(kUnits[unit].fractionDigits))
                              .roundingMode(UNUM_ROUND_HALFUP))
        .first->second;
  }

  std::string spelledZero(const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::RuleBasedNumberFormat spellout(icu::URBNF_SPELLOUT, icu::Locale(locale.c_str()), status);
    icu::UnicodeString word;
    if (U_SUCCESS(status)) spellout.format(int32_t{0}, word);
    if (word.isEmpty()) word = "0";
    word.replace(0, 1, static_cast<UChar32>(u_toupper(word.char32At(0))));
    std::string text;
    word.toUTF8String(text);
    const std::string unit = format(0, 1, false, locale);
    // The formatter gives "0 kB": keep its unit and spacing, spell the number.
    const auto digit = unit.find('0');
    return digit == std::string::npos ? text + " " + unit
                                      : unit.substr(0, digit) + text + unit.substr(digit + 1);
  }

  std::mutex mutex_;
  std::map<std::tuple<std::string, std::size_t, bool>, icu::number::LocalizedNumberFormatter> formatters_;
  std::map<std::string, std::string, std::less<>> zeros_;
};

}  // namespace

std::string FileFormat::folder(const base::Url& file, std::string_view homeFolder) {
  std::string path = file.filePath().value_or(std::string());
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const auto slash = path.rfind('/');
  std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
  if (!homeFolder.empty() && parent.starts_with(homeFolder) &&
      (parent.size() == homeFolder.size() || parent[homeFolder.size()] == '/'))
    parent = "~" + parent.substr(homeFolder.size());
  return parent;
}

std::string FileFormat::size(std::uint64_t bytes, std::string_view locale) {
  const std::string where(locale);
  Formats& formats = Formats::shared();
  if (bytes == 0) return formats.zero(where);
  if (bytes < 1000) return formats.format(static_cast<double>(bytes), 0, true, where);
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (unit + 1 < kUnits.size()) {
    // Move up while the value would still read 1000 or more once rounded for its unit.
    const double scale = std::pow(10.0, kUnits[unit].fractionDigits);
    if (unit > 0 && std::round(value * scale) / scale < 1000) break;
    value /= 1000;
    ++unit;
  }
  return formats.format(value, unit, false, where);
}

std::string FileFormat::day(base::Date date, std::string_view timeZone) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
      icu::StringPiece(timeZone.data(), static_cast<int32_t>(timeZone.size())))));
  const std::unique_ptr<icu::Calendar> calendar(
      icu::Calendar::createInstance(zone.release(), icu::Locale("en_US_POSIX@calendar=gregorian"), status));
  if (U_FAILURE(status)) return {};
  calendar->setTime(date.secondsSince1970 * 1000.0, status);
  const int year = calendar->get(UCAL_EXTENDED_YEAR, status);
  const int month = calendar->get(UCAL_MONTH, status) + 1;
  const int day = calendar->get(UCAL_DATE, status);
  if (U_FAILURE(status)) return {};
  return fmt::format("{:04}-{:02}-{:02}", year, month, day);
}

}  // namespace quillo::core

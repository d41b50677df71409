#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <array>
#include <memory>

#include "quillo/core/values/resolver_context.h"

namespace quillo::core {
namespace {

constexpr double kMillisecondsPerSecond = 1000;

icu::Locale calendarLocale(const ResolverContext& context) {
  return icu::Locale::createCanonical((context.locale + "@calendar=" + context.calendar).c_str());
}

std::unique_ptr<icu::TimeZone> timeZone(const ResolverContext& context) {
  return std::unique_ptr<icu::TimeZone>(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(context.timeZone)));
}

bool sameDay(base::Date a, base::Date b, const ResolverContext& context) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::Calendar> calendar(
      icu::Calendar::createInstance(timeZone(context).release(), calendarLocale(context), status));
  if (U_FAILURE(status)) return true;
  const auto dayOf = [&](base::Date date) {
    calendar->setTime(date.secondsSince1970 * kMillisecondsPerSecond, status);
    return std::array<int32_t, 3>{calendar->get(UCAL_ERA, status), calendar->get(UCAL_YEAR, status),
                                  calendar->get(UCAL_DAY_OF_YEAR, status)};
  };
  const bool same = dayOf(a) == dayOf(b);
  return U_FAILURE(status) || same;
}

}  // namespace

ResolverContext currentResolverContext(const platform::System& system, base::Date now) {
  ResolverContext context;
  context.now = now;
  context.timeZone = system.timeZoneIdentifier();
  context.locale = system.localeIdentifier();
  return context;
}

bool isKnownTimeZone(const std::string& identifier) {
  const std::unique_ptr<icu::TimeZone> zone(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(identifier)));
  icu::UnicodeString id;
  return zone && zone->getID(id) != icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID);
}

std::string clockText(base::Date date, const ResolverContext& context) {
  const std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, calendarLocale(context)));
  std::string text;
  if (format) {
    format->adoptTimeZone(timeZone(context).release());
    icu::UnicodeString formatted;
    format->format(date.secondsSince1970 * kMillisecondsPerSecond, formatted);
    formatted.toUTF8String(text);
  }
  if (!sameDay(date, context.now, context)) text += " tomorrow";
  return text;
}

}  // namespace quillo::core

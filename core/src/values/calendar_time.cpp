#include "calendar_time.h"

#include <unicode/calendar.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace quillo::core {

icu::Locale calendarLocale(const ResolverContext& context) {
  icu::Locale locale = icu::Locale::createCanonical(context.locale.c_str());
  UErrorCode status = U_ZERO_ERROR;
  locale.setKeywordValue("calendar", context.calendar.c_str(), status);
  return locale;
}

bool usesTwelveHourClock(const ResolverContext& context) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::DateTimePatternGenerator> generator(
      icu::DateTimePatternGenerator::createInstance(calendarLocale(context), status));
  if (U_FAILURE(status) || !generator) return false;
  const UDateFormatHourCycle cycle = generator->getDefaultHourCycle(status);
  return U_SUCCESS(status) && (cycle == UDAT_HOUR_CYCLE_11 || cycle == UDAT_HOUR_CYCLE_12);
}

base::Date nextOccurrence(int hour, int minute, const ResolverContext& context) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale = calendarLocale(context);
  const std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(context.timeZone)), locale, status));
  const UDate now = context.now.secondsSince1970 * kMillisecondsPerSecond;
  calendar->setTime(now, status);
  const auto atTime = [&](UCalendarWallTimeOption repeated) {
    calendar->setRepeatedWallTimeOption(repeated);
    calendar->set(UCAL_HOUR_OF_DAY, hour);
    calendar->set(UCAL_MINUTE, minute);
    calendar->set(UCAL_SECOND, 0);
    calendar->set(UCAL_MILLISECOND, 0);
    return calendar->getTime(status);
  };
  // A wall time the clocks go back through happens twice that day: the earlier one first, then
  // the later one when the earlier is past. Tomorrow's is set again after the day moves, so a
  // clock change between is kept.
  for (int day = 0; day < 3; ++day) {
    if (day > 0) calendar->add(UCAL_DATE, 1, status);
    for (const UCalendarWallTimeOption repeated : {UCAL_WALLTIME_FIRST, UCAL_WALLTIME_LAST}) {
      const UDate candidate = atTime(repeated);
      if (candidate > now) return base::Date{candidate / kMillisecondsPerSecond};
    }
  }
  return base::Date{atTime(UCAL_WALLTIME_LAST) / kMillisecondsPerSecond};
}

}  // namespace quillo::core

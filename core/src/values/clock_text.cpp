#include <unicode/calendar.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <array>
#include <memory>
#include <string>

#include "calendar_time.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {
namespace {

std::unique_ptr<icu::TimeZone> timeZone(const ResolverContext& context) {
  return std::unique_ptr<icu::TimeZone>(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(context.timeZone)));
}

// Whether a date pattern shows the hour on a 12-hour clock ("h" or "K" outside quoted text).
bool hasTwelveHourField(const icu::UnicodeString& pattern) {
  bool quoted = false;
  for (int32_t at = 0; at < pattern.length(); ++at) {
    const char16_t c = pattern.charAt(at);
    if (c == u'\'') quoted = !quoted;
    if (!quoted && (c == u'h' || c == u'K')) return true;
  }
  return false;
}

// The short time format of the locale, on the hour cycle the resolver reads typed times with:
// the short style ignores an hour-cycle keyword ("en_US@hours=h23"), the pattern generator's
// preferred hour follows it.
std::unique_ptr<icu::DateFormat> timeFormat(const ResolverContext& context) {
  const icu::Locale locale = calendarLocale(context);
  std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
  if (simple == nullptr) return format;
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  if (hasTwelveHourField(pattern) == usesTwelveHourClock(context)) return format;
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::DateTimePatternGenerator> generator(
      icu::DateTimePatternGenerator::createInstance(locale, status));
  if (U_FAILURE(status) || !generator) return format;
  const icu::UnicodeString cycled = generator->getBestPattern(u"jmm", status);
  if (U_FAILURE(status)) return format;
  auto adjusted = std::make_unique<icu::SimpleDateFormat>(cycled, locale, status);
  if (U_FAILURE(status)) return format;
  return adjusted;
}

// The time format and calendar of one locale, calendar and time zone. Building them loads locale
// data (a pattern generator among it), a few hundred microseconds, and typing "keep awake" formats
// several clock times per keystroke; so each thread keeps the last ones it built.
struct ClockFormatting {
  std::string locale;
  std::string calendarType;
  std::string zone;
  std::unique_ptr<icu::DateFormat> format;
  std::unique_ptr<icu::Calendar> calendar;
};

ClockFormatting& clockFormatting(const ResolverContext& context) {
  thread_local ClockFormatting cached;
  if (cached.calendar && cached.locale == context.locale && cached.calendarType == context.calendar &&
      cached.zone == context.timeZone) {
    return cached;
  }
  ClockFormatting built{context.locale, context.calendar, context.timeZone, timeFormat(context), nullptr};
  if (built.format) built.format->adoptTimeZone(timeZone(context).release());
  UErrorCode status = U_ZERO_ERROR;
  built.calendar.reset(
      icu::Calendar::createInstance(timeZone(context).release(), calendarLocale(context), status));
  if (U_FAILURE(status)) built.calendar.reset();
  cached = std::move(built);
  return cached;
}

bool sameDay(base::Date a, base::Date b, const ResolverContext& context) {
  icu::Calendar* calendar = clockFormatting(context).calendar.get();
  if (!calendar) return true;
  UErrorCode status = U_ZERO_ERROR;
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

bool isKnownLocale(const std::string& identifier) {
  const icu::Locale locale = icu::Locale::createCanonical(identifier.c_str());
  // ICU takes any text as a locale; one whose language has no ISO code names nothing.
  return !locale.isBogus() && *locale.getLanguage() != '\0' && *locale.getISO3Language() != '\0';
}

std::string clockText(base::Date date, const ResolverContext& context) {
  const icu::DateFormat* format = clockFormatting(context).format.get();
  std::string text;
  if (format) {
    icu::UnicodeString formatted;
    format->format(date.secondsSince1970 * kMillisecondsPerSecond, formatted);
    formatted.toUTF8String(text);
  }
  if (!sameDay(date, context.now, context)) text += " tomorrow";
  return text;
}

}  // namespace quillo::core

#pragma once

#include <unicode/locid.h>

#include "quillo/base/date.h"
#include "quillo/core/values/resolver_context.h"

// Calendar questions of the resolver, answered by ICU in the context's calendar and time zone.
namespace quillo::core {

// ICU counts time in milliseconds.
inline constexpr double kMillisecondsPerSecond = 1000;

// The context's locale with its calendar, keeping the locale's own keywords ("@hours=h23").
icu::Locale calendarLocale(const ResolverContext& context);

// Whether the context's locale shows the time on a 12-hour clock, following an hour-cycle
// keyword the locale carries.
bool usesTwelveHourClock(const ResolverContext& context);

// The first moment after `now` whose time of day is hour:minute:00.
base::Date nextOccurrence(int hour, int minute, const ResolverContext& context);

}  // namespace quillo::core

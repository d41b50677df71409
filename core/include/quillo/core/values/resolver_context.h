#pragma once

#include <optional>
#include <string>

#include "quillo/base/date.h"
#include "quillo/platform/system.h"

namespace quillo::core {

// What resolving a typed value needs to know about the moment and the user: built once per
// search by the caller, so that nothing reads the clock, the locale or the time zone behind its back.
struct ResolverContext {
  base::Date now;
  // The user's calendar: its ICU type ("gregorian") and its IANA time zone.
  std::string calendar = "gregorian";
  std::string timeZone = "UTC";
  // ICU locale identifier ("en_US").
  std::string locale = "en_US";
  // When a running keep-awake ends, if one runs.
  std::optional<base::Date> awakeUntil;

  bool operator==(const ResolverContext&) const = default;
};

// The context of the running system's user at `now`.
ResolverContext currentResolverContext(const platform::System& system, base::Date now);

// Whether ICU knows the IANA time zone ("Europe/Zurich").
bool isKnownTimeZone(const std::string& identifier);

// Whether the ICU locale identifier names a language ICU knows ("de_CH", "en_US@hours=h23").
bool isKnownLocale(const std::string& identifier);

// The time of day of `date` in the short time style of the context's locale and calendar, in its
// time zone, followed by " tomorrow" when it falls on another calendar day than `now`.
std::string clockText(base::Date date, const ResolverContext& context);

}  // namespace quillo::core

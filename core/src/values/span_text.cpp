#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>

#include <vector>

#include "quillo/core/values/invocation_resolver.h"

namespace quillo::core {

std::string InvocationResolver::spanText(long long seconds) {
  if (seconds >= 60) seconds = (seconds + 30) / 60 * 60;
  const long long parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};

  UErrorCode status = U_ZERO_ERROR;
  std::vector<icu::Measure> measures;
  for (int index = 0; index < 3; ++index) {
    if (parts[index] == 0) continue;
    icu::MeasureUnit* unit = index == 0   ? icu::MeasureUnit::createHour(status)
                             : index == 1 ? icu::MeasureUnit::createMinute(status)
                                          : icu::MeasureUnit::createSecond(status);
    // The measure takes the unit over.
    measures.emplace_back(icu::Formattable(static_cast<int64_t>(parts[index])), unit, status);
  }
  if (measures.empty())
    measures.emplace_back(icu::Formattable(int64_t{0}), icu::MeasureUnit::createSecond(status), status);

  // Always US English: the rows' other words are English too.
  const icu::MeasureFormat format(icu::Locale("en", "US"), UMEASFMT_WIDTH_WIDE, status);
  icu::UnicodeString text;
  icu::FieldPosition position;
  format.formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), text, position, status);
  std::string result;
  if (U_SUCCESS(status)) text.toUTF8String(result);
  return result;
}

}  // namespace quillo::core

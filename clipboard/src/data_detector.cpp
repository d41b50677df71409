#include "quillo/clipboard/data_detector.h"

#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>
#include <unicode/ustring.h>

#include <algorithm>

#include "recognizers.h"

namespace quillo::clipboard {
namespace {

// libphonenumber gives places in UTF-8 bytes; the detector's unit is UTF-16.
std::vector<DetectedMatch> phoneNumbers(const std::string& text, const std::string& region) {
  using i18n::phonenumbers::PhoneNumberMatch;
  using i18n::phonenumbers::PhoneNumberMatcher;
  using i18n::phonenumbers::PhoneNumberUtil;
  PhoneNumberMatcher matcher(*PhoneNumberUtil::GetInstance(), text, region, PhoneNumberMatcher::VALID,
                             /*max_tries=*/64);
  std::vector<DetectedMatch> found;
  PhoneNumberMatch match;
  while (matcher.HasNext() && matcher.Next(&match)) {
    const auto start = static_cast<std::size_t>(match.start());
    const auto length = static_cast<std::size_t>(match.length());
    if (start + length > text.size()) break;
    found.push_back({.type = DetectedType::phoneNumber,
                     .start = utf16Length(std::string_view(text).substr(0, start)),
                     .length = utf16Length(std::string_view(text).substr(start, length))});
  }
  return found;
}

bool earlierOrLonger(const DetectedMatch& a, const DetectedMatch& b) {
  if (a.start != b.start) return a.start < b.start;
  if (a.length != b.length) return a.length > b.length;
  return a.type < b.type;
}

}  // namespace

DataDetector::DataDetector(DataDetectorOptions options) : options_(std::move(options)) {}

std::vector<DetectedMatch> DataDetector::matches(std::string_view text) const {
  const auto unicode =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  std::vector<DetectedMatch> candidates = recognizers::dates(unicode);
  for (auto& match : recognizers::addresses(unicode))
    candidates.push_back(match);
  for (auto& match : phoneNumbers(std::string(text), options_.phoneRegion))
    candidates.push_back(match);
  std::sort(candidates.begin(), candidates.end(), earlierOrLonger);

  // Within one type, a value that overlaps an earlier (or longer) one is part of it.
  std::vector<DetectedMatch> result;
  for (const auto& candidate : candidates) {
    const bool overlaps = std::any_of(result.begin(), result.end(), [&](const DetectedMatch& kept) {
      return kept.type == candidate.type && candidate.start < kept.start + kept.length;
    });
    if (!overlaps) result.push_back(candidate);
  }
  return result;
}

std::optional<DetectedMatch> DataDetector::firstMatch(std::string_view text) const {
  auto found = matches(text);
  if (found.empty()) return std::nullopt;
  return found.front();
}

std::string phoneRegionForLocale(std::string_view locale) {
  // "en_GB.UTF-8@euro": the codeset and modifier are no part of ICU's name.
  const std::string name(locale.substr(0, locale.find_first_of(".@")));
  const std::string country = icu::Locale(name.c_str()).getCountry();
  if (country.size() != 2) return "US";
  return country;
}

std::size_t utf16Length(std::string_view text) {
  // Preflighting the conversion counts the units without writing any.
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr,
                       &status);
  return static_cast<std::size_t>(length);
}

}  // namespace quillo::clipboard

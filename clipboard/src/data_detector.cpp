#include "quillo/clipboard/data_detector.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>

#include "phone_library.h"
#include "recognizers.h"

namespace quillo::clipboard {
namespace {

// A phone number has two digits at the least (libphonenumber's shortest national number);
// text with fewer never loads the library.
bool mayHoldPhoneNumber(const icu::UnicodeString& text) {
  int digits = 0;
  for (int32_t index = 0; index < text.length(); index = text.moveIndex32(index, 1)) {
    if (u_isdigit(text.char32At(index)) && ++digits == 2) return true;
  }
  return false;
}

// The library gives places in UTF-8 bytes; the detector's unit is UTF-16. Without the library
// (its loading failed, and said why) no text holds a phone number.
std::vector<DetectedMatch> phoneNumbers(std::string_view text, const icu::UnicodeString& unicode,
                                        const std::string& region) {
  if (!mayHoldPhoneNumber(unicode)) return {};
  const phone::Library* library = phone::library();
  if (!library) return {};
  std::vector<DetectedMatch> found;
  for (const phone::Found& number : library->find(std::string(text), region)) {
    found.push_back({.type = DetectedType::phoneNumber,
                     .start = utf16Length(text.substr(0, number.start)),
                     .length = utf16Length(text.substr(number.start, number.length))});
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
  for (auto& match : phoneNumbers(text, unicode, options_.phoneRegion))
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

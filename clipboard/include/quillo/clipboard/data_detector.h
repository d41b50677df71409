#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::clipboard {

// What the data detector found in a text.
enum class DetectedType : std::uint8_t { date, address, phoneNumber };

// A found value: its type and its place in the text, in UTF-16 code units (the unit the length
// rules of the tagger count in).
struct DetectedMatch {
  DetectedType type = DetectedType::date;
  std::size_t start = 0;
  std::size_t length = 0;

  bool operator==(const DetectedMatch&) const = default;
};

struct DataDetectorOptions {
  // The region whose national phone number formats are read without a country code ("US", "DE").
  std::string phoneRegion = "US";
};

// Finds dates, postal addresses and phone numbers in text.
//
// Phone numbers are libphonenumber's matcher at its "valid" leniency: numbers in the region's
// national format, and international ones with "+" and a country code. The matcher lives in a
// library of its own, loaded the first time a text has two digits or more; when it cannot be
// loaded (the log says why) no phone numbers are found.
//
// Dates (English, case-insensitive), each with an optional time after it (", at 3:30 pm",
// " 15:30"):
// - ISO: 2026-12-05, 2026-12-05T15:30:00Z, 2026-12-05 15:30;
// - numeric: 12/05/2026 and 12/05/26, 5.12.2026, 5-12-2026 (month/day or day/month, either
//   reading being a real day is enough);
// - written: 5 December 2026, the 5th of December, December 5, 2026, Dec. 5, Friday 5 Dec,
//   Friday, December 5th; month names and their abbreviations;
// - a time on its own: 3:30 pm, 3pm, 15:30, 15:30:05.
// Days are checked against their month (29 February only in leap years when the year is given).
//
// Addresses:
// - US: a number, a street name with a suffix (Street, St, Avenue, Ave, Road, Rd, Boulevard,
//   Blvd, Lane, Ln, Drive, Dr, Court, Ct, Place, Pl, Way, Terrace, Parkway, Highway, Circle,
//   Loop, Square, Trail), an optional direction and unit (Apt 4B, Suite 100, #12), then city,
//   a two-letter state code and a ZIP code (12345 or 12345-6789);
// - European: a street (a word such as Straße, -weg, -gasse, -platz, -allee, -straat, -laan,
//   -gatan, -vej, or a leading Rue, Avenue, Via, Piazza, Calle, Plaza, Rua...) with its house
//   number before or after it, then a postal code (4 or 5 digits, optionally with a country
//   letter prefix such as "D-", or the Dutch "1012 AB") and a capitalised city, optionally
//   followed by a comma and a country.
// Parts may be separated by commas, spaces or line breaks.
//
// Immutable; safe to use from several threads.
class DataDetector {
 public:
  explicit DataDetector(DataDetectorOptions options = {});

  // Every value found, ordered by start, longer first at the same start; values of one type do
  // not overlap each other.
  std::vector<DetectedMatch> matches(std::string_view text) const;
  // The value that starts first (the longest of those starting together).
  std::optional<DetectedMatch> firstMatch(std::string_view text) const;

 private:
  DataDetectorOptions options_;
};

// The phone region of a POSIX or ICU locale name ("en_GB.UTF-8" gives "GB"); "US" when the
// locale names no country ("C", "POSIX", "en").
std::string phoneRegionForLocale(std::string_view locale);

// The length of UTF-8 text in UTF-16 code units; ill-formed bytes count as one unit each.
std::size_t utf16Length(std::string_view text);

}  // namespace quillo::clipboard

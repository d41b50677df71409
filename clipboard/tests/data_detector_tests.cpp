#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "phone_library.h"
#include "quillo/base/log.h"
#include "quillo/clipboard/data_detector.h"
#include "quillo/testing/mapped_libraries.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::clipboard {
namespace {

using quillo::testing::isMapped;

struct DetectionCase {
  const char* text;
  std::optional<DetectedType> type;  // none: nothing covering the whole text
};

// The type of a value found covering the whole text, if any.
std::optional<DetectedType> wholeTextType(const DataDetector& detector, std::string_view text) {
  for (const auto& match : detector.matches(text)) {
    if (match.start == 0 && match.length == utf16Length(text)) return match.type;
  }
  return std::nullopt;
}

TEST(DataDetector, RecognisesWholeDatesInEveryWrittenForm) {
  const DataDetector detector;
  const DetectionCase cases[] = {
      {"2026-12-05", DetectedType::date},
      {"2026-12-05T15:30:00Z", DetectedType::date},
      {"2026-12-05 15:30", DetectedType::date},
      {"2026-02-29", std::nullopt},  // not a leap year
      {"2028-02-29", DetectedType::date},
      {"2026-13-05", std::nullopt},
      {"12/05/2026", DetectedType::date},
      {"12/05/26", DetectedType::date},
      {"31/12/2026", DetectedType::date},  // day first
      {"31/31/2026", std::nullopt},
      {"5.12.2026", DetectedType::date},
      {"5.12.2026 15:30", DetectedType::date},
      {"1.2.3.2026", std::nullopt},  // a version, not a date
      {"5 December 2026", DetectedType::date},
      {"5th of December", DetectedType::date},
      {"December 5, 2026", DetectedType::date},
      {"December 5, 2026 at 3:30 pm", DetectedType::date},
      {"Dec 5", DetectedType::date},
      {"Dec. 5 3pm", DetectedType::date},
      {"Friday 5 Dec", DetectedType::date},
      {"Friday, December 5th, 2026, 15:30", DetectedType::date},
      {"december 32", std::nullopt},
      {"February 30", std::nullopt},
      {"3:30 pm", DetectedType::date},
      {"3:30 p.m.", DetectedType::date},
      {"15:30", DetectedType::date},
      {"25:30", std::nullopt},
      {"13pm", std::nullopt},
  };
  for (const auto& [text, type] : cases)
    EXPECT_EQ(wholeTextType(detector, text), type) << text;
}

TEST(DataDetector, RecognisesUsAndEuropeanAddresses) {
  const DataDetector detector;
  const DetectionCase cases[] = {
      {"1600 Pennsylvania Avenue NW, Washington, DC 20500", DetectedType::address},
      {"350 Fifth Ave, New York, NY 10118", DetectedType::address},
      {"742 Evergreen Terrace, Springfield, OR 97477-1234", DetectedType::address},
      {"12 Main St. Apt 4B, Boston, MA 02110", DetectedType::address},
      {"1 Infinite Loop\nCupertino, CA 95014", DetectedType::address},
      {"350 Fifth Ave, New York, XX 10118", std::nullopt},  // no such state
      {"350 Fifth, New York, NY 10118", std::nullopt},      // no street suffix
      {"Hauptstraße 5, 10115 Berlin", DetectedType::address},
      {"Kurfürstendamm 21, D-10719 Berlin, Germany", DetectedType::address},
      {"Am Alten Markt 3a, 50667 Köln", DetectedType::address},
      {"12 Rue de Rivoli, 75001 Paris", DetectedType::address},
      {"Via Roma 10, 00184 Roma", DetectedType::address},
      {"Damstraat 3, 1012 AB Amsterdam", DetectedType::address},
      {"Drottninggatan 5, 11151 Stockholm", DetectedType::address},
      {"Version 5, 2024 Release", std::nullopt},
  };
  for (const auto& [text, type] : cases)
    EXPECT_EQ(wholeTextType(detector, text), type) << text;
}

TEST(DataDetector, ReadsPhoneNumbersInTheLocalesRegionOrTheUs) {
  const DataDetector us;
  EXPECT_EQ(wholeTextType(us, "(415) 555-0132"), DetectedType::phoneNumber);
  EXPECT_EQ(wholeTextType(us, "+44 20 7946 0958"), DetectedType::phoneNumber);
  EXPECT_EQ(wholeTextType(us, "030 12345678"), std::nullopt);  // a Berlin number needs the region

  const DataDetector germany({.phoneRegion = phoneRegionForLocale("de_DE.UTF-8")});
  EXPECT_EQ(wholeTextType(germany, "030 12345678"), DetectedType::phoneNumber);
  const std::pair<const char*, const char*> regions[] = {
      {"en_GB.UTF-8", "GB"}, {"de_DE@euro", "DE"}, {"fr_CA", "CA"}, {"C", "US"},
      {"POSIX", "US"},       {"en", "US"},         {"", "US"},
  };
  for (const auto& [locale, region] : regions)
    EXPECT_EQ(phoneRegionForLocale(locale), region) << locale;
}

TEST(DataDetector, FirstMatchIsTheEarliestInUtf16Units) {
  const DataDetector detector;
  // "Café" is four UTF-16 units and five bytes; places are counted in units.
  const auto match = detector.firstMatch("Café on 5 December 2026, call (415) 555-0132");
  ASSERT_TRUE(match.has_value());
  EXPECT_EQ(*match, (DetectedMatch{.type = DetectedType::date, .start = 8, .length = 15}));

  const auto phone = detector.firstMatch("é (415) 555-0132");
  ASSERT_TRUE(phone.has_value());
  EXPECT_EQ(*phone, (DetectedMatch{.type = DetectedType::phoneNumber, .start = 2, .length = 14}));

  EXPECT_EQ(detector.firstMatch("nothing to see here"), std::nullopt);
  EXPECT_EQ(detector.firstMatch(""), std::nullopt);
}

TEST(DataDetector, ReadsPhoneNumbersWrittenInOtherDigits) {
  const DataDetector detector;
  // Full-width digits, as an East Asian input method types them.
  EXPECT_EQ(wholeTextType(detector, "(\uFF14\uFF11\uFF15) \uFF15\uFF15\uFF15-\uFF10\uFF11\uFF13\uFF12"),
            DetectedType::phoneNumber);
}

// libphonenumber brings protobuf and Abseil; a history of copies without numbers must not pay for
// them. Run in a fresh process, so that earlier tests have loaded nothing.
TEST(DataDetector, ThePhoneNumberLibraryLoadsOnlyForTextWithDigits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const DataDetector detector;
        const bool dateFound = !detector.matches("Lunch on Friday, December 5th, then the park").empty();
        if (!dateFound || isMapped("libphonenumber") || isMapped("libprotobuf")) std::_Exit(1);
        const auto phone = detector.firstMatch("call (415) 555-0132");
        const bool found = phone && phone->type == DetectedType::phoneNumber;
        std::_Exit(found && isMapped("libphonenumber") ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(DataDetector, APhoneNumberLibraryThatCannotLoadIsReported) {
  const quillo::testing::TemporaryFolder folder;
  std::vector<std::string> errors;
  base::log::setSink([&errors](base::log::Level level, std::string_view, std::string_view message) {
    if (level == base::log::Level::error) errors.emplace_back(message);
  });
  const phone::Library* library = phone::load("libquillo-phone-absent.so", folder.path().string());
  base::log::resetSink();
  EXPECT_EQ(library, nullptr);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors.front().find("libquillo-phone-absent.so"), std::string::npos) << errors.front();
  EXPECT_NE(errors.front().find("not tagged as phone numbers"), std::string::npos) << errors.front();
}

}  // namespace
}  // namespace quillo::clipboard

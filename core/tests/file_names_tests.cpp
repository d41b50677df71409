#include <gtest/gtest.h>

#include "quillo/core/files/file_format.h"
#include "quillo/core/files/file_name_match.h"
#include "quillo/core/files/media_type.h"

namespace quillo::core {
namespace {

TEST(MediaType, RawValuesRoundTripAndExtensionsAreLowerCase) {
  for (MediaType type : kAllMediaTypes) {
    EXPECT_EQ(mediaTypeFromRaw(rawValue(type)), type);
    for (std::string_view extension : extensions(type))
      EXPECT_TRUE(std::all_of(extension.begin(), extension.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
      })) << extension;
  }
  EXPECT_EQ(mediaTypeFromRaw("Document"), std::nullopt);
  EXPECT_EQ(extensions(MediaType::installer).size(), 3u);
  EXPECT_EQ(extensions(MediaType::code).size(), 23u);
}

TEST(MediaType, FileNameQueriesNeedAKnownExtensionAfterTheFirstCharacter) {
  EXPECT_TRUE(isFilenameQuery("budget.xlsx"));
  EXPECT_TRUE(isFilenameQuery("  Q3 Sales Report.PDF \n"));
  EXPECT_TRUE(isFilenameQuery("archive.tar.gz"));
  EXPECT_FALSE(isFilenameQuery("budget.xyz"));
  EXPECT_FALSE(isFilenameQuery(".xlsx"));
  EXPECT_FALSE(isFilenameQuery("budget"));
  EXPECT_FALSE(isFilenameQuery("budget."));
}

TEST(FileNameMatch, GradesNamesByWords) {
  struct Case {
    const char* query;
    const char* name;
    FileNameStrength strength;
  };
  const Case cases[] = {
      {"q3 report", "Q3 Sales Report.pdf", FileNameStrength::strong},
      {"q3 report", "Report Q3.pdf", FileNameStrength::weak},
      {"q3 sales report", "Q3 Sales Report.pdf", FileNameStrength::exact},
      {"Q3 Sales Report.PDF", "Q3 Sales Report.pdf", FileNameStrength::exact},
      {"budget.xls", "Budget.xlsx", FileNameStrength::exact},
      {"budget.xlsx", "Budget.xls", FileNameStrength::weak},
      {"q3 sales rep", "Q3 Sales Report.pdf", FileNameStrength::strong},
      {"sales", "Q3 Sales Report.pdf", FileNameStrength::weak},
      {"report", "report-final.docx", FileNameStrength::strong},
      {"  ", "anything.txt", FileNameStrength::weak},
      {"--", "anything.txt", FileNameStrength::weak},
      {"notes.txt", "notes.txt.bak", FileNameStrength::exact},
      {"résumé", "Résumé 2026.pdf", FileNameStrength::strong},
      {".bashrc", ".bashrc", FileNameStrength::exact},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fileNameStrength(c.query, c.name), c.strength) << c.query << " / " << c.name;
}

TEST(FileFormat, FolderShowsTheHomeFolderAsTilde) {
  EXPECT_EQ(FileFormat::folder(base::Url::file("/home/ana/Documents/Q3.pdf"), "/home/ana"), "~/Documents");
  EXPECT_EQ(FileFormat::folder(base::Url::file("/home/ana/Q3.pdf"), "/home/ana"), "~");
  EXPECT_EQ(FileFormat::folder(base::Url::file("/home/anabel/Q3.pdf"), "/home/ana"), "/home/anabel");
  EXPECT_EQ(FileFormat::folder(base::Url::file("/srv/Projects/"), "/home/ana"), "/srv");
  EXPECT_EQ(FileFormat::folder(base::Url::file("/top"), "/home/ana"), "/");
}

TEST(FileFormat, SizesUseDecimalUnitsInTheLocale) {
  EXPECT_EQ(FileFormat::size(0, "en_US"), "Zero kB");
  EXPECT_EQ(FileFormat::size(1, "en_US"), "1 byte");
  EXPECT_EQ(FileFormat::size(532, "en_US"), "532 bytes");
  EXPECT_EQ(FileFormat::size(12'345, "en_US"), "12 kB");
  EXPECT_EQ(FileFormat::size(999'999, "en_US"), "1 MB");
  EXPECT_EQ(FileFormat::size(1'250'000, "en_US"), "1.3 MB");
  EXPECT_EQ(FileFormat::size(3'456'789'012, "en_US"), "3.46 GB");
  EXPECT_EQ(FileFormat::size(1'250'000, "de_DE"), "1,3 MB");
  // Each locale spells its own zero, whichever asked first.
  EXPECT_EQ(FileFormat::size(0, "de_DE"), "Null kB");
  EXPECT_EQ(FileFormat::size(0, "en_US"), "Zero kB");
}

TEST(FileFormat, DayIsTheCalendarDateInTheTimeZone) {
  const base::Date lateEvening{1764975600.0};  // 2025-12-05 23:00 UTC
  EXPECT_EQ(FileFormat::day(lateEvening, "UTC"), "2025-12-05");
  EXPECT_EQ(FileFormat::day(lateEvening, "Europe/Zurich"), "2025-12-06");
  EXPECT_EQ(FileFormat::day(lateEvening, "America/Los_Angeles"), "2025-12-05");
}

}  // namespace
}  // namespace quillo::core

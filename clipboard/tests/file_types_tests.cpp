#include <gtest/gtest.h>

#include "quillo/clipboard/file_types.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::clipboard {
namespace {

TEST(FileTypes, MapsExtensionsToTypes) {
  const auto& types = FileTypes::system();
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"pdf", "application/pdf"},
      {"PDF", "application/pdf"},  // case-insensitive pattern
      {"png", "image/png"},
      {"c", "text/x-csrc"},
      {"C", "text/x-c++src"},   // the case-sensitive pattern wins
      {"py", "text/x-python"},  // higher weight
      {"key", "application/vnd.apple.keynote"},
      {"json", "application/json"},  // equal weights: the smaller type name
      {"swift", "text/x-swift"},     // the database lacks it
      {"ts", "text/x-typescript"},
      {"nosuchextension", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [extension, type] : cases)
    EXPECT_EQ(types.typeForExtension(extension), type) << extension;
}

TEST(FileTypes, FirstConformingFamilyOfCommonFiles) {
  const auto& types = FileTypes::system();
  constexpr FileTypeFamily kOrder[] = {
      FileTypeFamily::pdf,         FileTypeFamily::image,
      FileTypeFamily::movie,       FileTypeFamily::audio,
      FileTypeFamily::archive,     FileTypeFamily::sourceCode,
      FileTypeFamily::text,        FileTypeFamily::compositeContent,
      FileTypeFamily::spreadsheet, FileTypeFamily::presentation,
  };
  const auto firstFamily = [&](std::string_view extension) -> std::optional<FileTypeFamily> {
    const auto type = types.typeForExtension(extension);
    if (!type) return std::nullopt;
    for (const auto family : kOrder) {
      if (types.conformsTo(*type, family)) return family;
    }
    return std::nullopt;
  };
  const std::pair<const char*, std::optional<FileTypeFamily>> cases[] = {
      {"pdf", FileTypeFamily::pdf},
      {"jpg", FileTypeFamily::image},
      {"heic", FileTypeFamily::image},
      {"svg", FileTypeFamily::image},  // also XML text, but image comes first
      {"mov", FileTypeFamily::movie},
      {"mp3", FileTypeFamily::audio},
      {"zip", FileTypeFamily::archive},
      {"tgz", FileTypeFamily::archive},  // gzip's sub-class
      {"7z", FileTypeFamily::archive},
      {"jar", FileTypeFamily::archive},
      {"cpp", FileTypeFamily::sourceCode},
      {"sh", FileTypeFamily::sourceCode},
      {"swift", FileTypeFamily::sourceCode},
      {"json", FileTypeFamily::text},  // filed under JavaScript, but data
      {"md", FileTypeFamily::text},
      {"csv", FileTypeFamily::text},
      {"docx", FileTypeFamily::compositeContent},  // a ZIP container, yet a document
      {"odt", FileTypeFamily::compositeContent},
      {"pages", FileTypeFamily::compositeContent},
      {"xlsx", FileTypeFamily::spreadsheet},
      {"numbers", FileTypeFamily::spreadsheet},
      {"pptx", FileTypeFamily::presentation},
      {"key", FileTypeFamily::presentation},
      {"dmg", std::nullopt},  // a known type of no family
  };
  for (const auto& [extension, family] : cases)
    EXPECT_EQ(firstFamily(extension), family) << extension;
}

TEST(FileTypes, ReadsAGivenDatabaseAndSurvivesAMissingOne) {
  quillo::testing::TemporaryFolder folder;
  quillo::testing::writeFile(folder / "globs2",
                             "# comment\n50:application/x-thing:*.thing\n60:text/x-thing:*.thing\n"
                             "50:text/x-other:*.OTH:cs\n50:application/x-name:README\n");
  quillo::testing::writeFile(folder / "subclasses", "application/x-bundle application/x-old-zip\n");
  quillo::testing::writeFile(folder / "aliases", "application/x-old-zip application/zip\n");
  quillo::testing::writeFile(folder / "generic-icons", "application/zip:package-x-generic\n");
  const auto types = FileTypes::load(folder.path());
  EXPECT_EQ(types.typeForExtension("thing"), "text/x-thing");
  EXPECT_EQ(types.typeForExtension("OTH"), "text/x-other");
  EXPECT_EQ(types.typeForExtension("oth"), std::nullopt);  // case-sensitive only
  EXPECT_EQ(types.typeForExtension("README"), std::nullopt);
  // The parent is an alias; its canonical type carries the family.
  EXPECT_TRUE(types.conformsTo("application/x-bundle", FileTypeFamily::archive));
  EXPECT_FALSE(types.conformsTo("application/x-bundle", FileTypeFamily::text));

  const auto empty = FileTypes::load(folder / "missing");
  EXPECT_EQ(empty.typeForExtension("pdf"), std::nullopt);
  EXPECT_EQ(empty.typeForExtension("swift"), "text/x-swift");
  EXPECT_TRUE(empty.conformsTo("text/x-swift", FileTypeFamily::sourceCode));
}

}  // namespace
}  // namespace quillo::clipboard

#include <gtest/gtest.h>

#include "quillo/core/index/app_branding.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

// A data folder of the test's own, laid out as XDG_DATA_DIRS entries are.
struct AppBrandingTest : ::testing::Test {
  void write(const std::string& name, std::string_view text) const {
    testing::writeFile(data / "metainfo" / name, text);
  }
  std::optional<AppBranding> branding(std::string_view appId) const {
    return readAppBranding(appId, metainfoFolders({data.path() / "applications"}), files);
  }

  testing::TemporaryFolder data;
  platform::posix::PosixFileSystem files;
};

TEST_F(AppBrandingTest, PrimaryColoursAreReadForEachScheme) {
  write("org.example.Maps.metainfo.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<component type="desktop-application">
  <id>org.example.Maps</id>
  <branding>
    <color type="primary" scheme_preference="light">#8ff0a4</color>
    <color type="primary" scheme_preference="dark">#26a269</color>
  </branding>
</component>)");
  EXPECT_EQ(branding("org.example.Maps.desktop"), (AppBranding{.light = "#8ff0a4", .dark = "#26a269"}));
}

TEST_F(AppBrandingTest, AColourWithoutASchemeServesBoth) {
  write("org.example.Notes.appdata.xml", R"(<component><branding>
    <color type="secondary">#000000</color><color type="primary">#e01b24</color></branding></component>)");
  EXPECT_EQ(branding("org.example.Notes"), (AppBranding{.light = "#e01b24", .dark = "#e01b24"}));
}

TEST_F(AppBrandingTest, NoBrandingOrBrokenXmlIsNone) {
  write("org.example.Plain.metainfo.xml", "<component><id>org.example.Plain</id></component>");
  write("org.example.Broken.metainfo.xml", "<component><branding><color type=\"primary\">#fff");
  EXPECT_EQ(branding("org.example.Plain"), std::nullopt);
  EXPECT_EQ(branding("org.example.Broken"), std::nullopt);
  EXPECT_EQ(branding("org.example.Missing"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core

#include <QImage>
#include <QPainter>

#include "panel_fixture.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/qt_test_loop.h"
#include "quillo/ui/panel/application_accents.h"

namespace quillo::ui::test {
namespace {

namespace fs = std::filesystem;

// A data folder of the test's own, laid out as an XDG_DATA_DIRS entry: metainfo files and an
// icon theme's application icons.
struct ApplicationAccentsTest : ::testing::Test {
  void SetUp() override { widgetTestApplication(); }

  // A 48-pixel icon: a disc of `colour` on a transparent square, with a grey frame.
  RowIcon icon(const char* name, QColor colour) const {
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(128, 128, 128), 3));
    painter.setBrush(colour);
    painter.drawEllipse(QRect(4, 4, 40, 40));
    painter.end();
    const fs::path path = data / "icons/hicolor/48x48/apps" / (std::string(name) + ".png");
    fs::create_directories(path.parent_path());
    image.save(QString::fromStdString(path.string()));
    return namedIcon(QString::fromStdString(path.string()));
  }
  std::optional<QColor> settledAccent(const QString& id, const RowIcon& rowIcon, bool dark) {
    bool changed = false;
    QObject::connect(&accents, &ApplicationAccents::changed, [&] { changed = true; });
    EXPECT_EQ(accents.accent(id, rowIcon, dark), std::nullopt);  // worked out in the background
    EXPECT_TRUE(testing::runQtUntil([&] { return changed; }));
    return accents.accent(id, rowIcon, dark);
  }

  testing::TemporaryFolder data;
  platform::posix::PosixFileSystem files;
  ApplicationAccents accents{
      [this](const std::string& appId) { return core::readAppBranding(appId, {data / "metainfo"}, files); }};
};

TEST_F(ApplicationAccentsTest, TheMetainfoBrandColourOfTheSchemeWins) {
  testing::writeFile(data / "metainfo/org.example.Maps.metainfo.xml", R"(<component>
  <branding>
    <color type="primary" scheme_preference="light">#8ff0a4</color>
    <color type="primary" scheme_preference="dark">#26a269</color>
  </branding></component>)");
  const RowIcon red = icon("org.example.Maps", QColor(220, 30, 30));
  EXPECT_EQ(settledAccent("org.example.Maps", red, false), QColor("#8ff0a4"));
  EXPECT_EQ(accents.accent("org.example.Maps", red, true), QColor("#26a269"));
}

TEST_F(ApplicationAccentsTest, WithoutBrandingTheIconsDominantColourServes) {
  const auto accent = settledAccent("org.example.Red", icon("org.example.Red", QColor(220, 30, 30)), false);
  ASSERT_TRUE(accent.has_value());
  EXPECT_GT(accent->red(), 180);
  EXPECT_LT(accent->green(), 70);
}

TEST_F(ApplicationAccentsTest, AGreyIconWithoutBrandingHasNoAccentOfItsOwn) {
  EXPECT_EQ(settledAccent("org.example.Grey", icon("org.example.Grey", QColor(90, 90, 90)), true),
            std::nullopt);
}

}  // namespace
}  // namespace quillo::ui::test

#include <gtest/gtest.h>

#include <QImage>
#include <fstream>

#include "quillo/core/commands/app_launch.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/ui/style/icons.h"
#include "style_test_application.h"

namespace quillo::ui {
namespace {

core::Command commandOf(core::Command::Kind kind, core::Command::Target target) {
  return core::Command("id", "Title", kind, "", "", "", std::move(target));
}

TEST(CommandIcons, EveryKindHasAnIconWhateverTheTheme) {
  test::styleTestApplication();
  using Kind = core::Command::Kind;
  for (const Kind kind : {Kind::app, Kind::setting, Kind::action, Kind::menuItem, Kind::webSearch,
                          Kind::capability, Kind::settingRow, Kind::file, Kind::folder, Kind::clipboard}) {
    const RowIcon icon = commandIcon(commandOf(kind, core::target::Shell{"true"}));
    const QPixmap pixmap = iconPixmap(icon, 28, 2.0, Qt::black);
    EXPECT_FALSE(pixmap.isNull()) << displayName(kind);
    EXPECT_EQ(pixmap.width(), 56) << displayName(kind);
  }
}

TEST(CommandIcons, AnApplicationShowsTheIconItsDesktopEntryNames) {
  test::styleTestApplication();
  testing::TemporaryFolder folder;
  const auto picture = folder / "editor.png";
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(QColor(0x20, 0xa0, 0x60));
  ASSERT_TRUE(image.save(QString::fromStdString(picture.string())));
  const auto entry = folder / "editor.desktop";
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\nIcon="
                       << picture.string() << "\n";

  const RowIcon icon = commandIcon(commandOf(core::Command::Kind::app, core::appTarget(entry.string())));
  EXPECT_FALSE(icon.symbolic);
  const QImage drawn = iconPixmap(icon, 32, 1.0, Qt::black).toImage();
  EXPECT_EQ(drawn.pixelColor(16, 16), QColor(0x20, 0xa0, 0x60));
}

TEST(CommandIcons, SymbolicIconsTakeTheColourOfTheTextBesideThem) {
  test::styleTestApplication();
  const RowIcon icon = bundledIcon(BundledIcon::menu);
  ASSERT_TRUE(icon.symbolic);
  const QImage drawn = iconPixmap(icon, 16, 1.0, QColor(Qt::red)).toImage();
  // The middle bar of the menu icon.
  EXPECT_EQ(drawn.pixelColor(8, 8).red(), 255);
  EXPECT_EQ(drawn.pixelColor(8, 8).green(), 0);
}

}  // namespace
}  // namespace quillo::ui

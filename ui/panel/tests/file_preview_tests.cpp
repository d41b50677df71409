#include <QImage>
#include <QLabel>
#include <fstream>

#include "panel_fixture.h"
#include "quillo/ui/panel/file_preview.h"

namespace quillo::ui::test {
namespace {

core::ResultRow fileRow(const std::filesystem::path& path, core::Command::Kind kind) {
  return {core::Command("file." + path.string(), path.filename().string(), kind, "", "", "",
                        core::target::File{base::Url::file(path.string())},
                        core::Command::FileDetail{path.parent_path().string(), "1 KB", "Today"}),
          std::nullopt, std::nullopt};
}

bool showsText(const FilePreview& preview, const QString& text) {
  for (const QLabel* label : preview.findChildren<QLabel*>())
    if (label->isVisibleTo(&preview) && label->text().contains(text)) return true;
  return false;
}

const QLabel* picture(const FilePreview& preview) {
  for (const QLabel* label : preview.findChildren<QLabel*>())
    if (label->isVisibleTo(&preview) && !label->pixmap().isNull()) return label;
  return nullptr;
}

TEST(FilePreview, ATextFileShowsItsFirstLines) {
  application();
  testing::TemporaryFolder folder;
  std::ofstream(folder / "notes.txt") << "first line\nsecond line\n";
  FilePreview preview;
  ASSERT_TRUE(preview.show(fileRow(folder / "notes.txt", core::Command::Kind::file)));
  EXPECT_TRUE(showsText(preview, "first line\nsecond line"));
  EXPECT_TRUE(showsText(preview, "notes.txt"));
  EXPECT_TRUE(showsText(preview, "1 KB"));
}

TEST(FilePreview, AnImageShowsAsAPictureNoLargerThanThePane) {
  application();
  testing::TemporaryFolder folder;
  QImage image(1200, 600, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  ASSERT_TRUE(image.save(QString::fromStdString((folder / "photo.png").string())));
  FilePreview preview;
  ASSERT_TRUE(preview.show(fileRow(folder / "photo.png", core::Command::Kind::file)));
  const QLabel* shown = picture(preview);
  ASSERT_NE(shown, nullptr);
  EXPECT_LE(shown->pixmap().width(), FilePreview::width);
  EXPECT_EQ(shown->pixmap().width(), 2 * shown->pixmap().height());
}

TEST(FilePreview, OnlyFileResultsArePreviewed) {
  application();
  FilePreview preview;
  EXPECT_FALSE(
      preview.show({command("app.mail", "Mail", core::Command::Kind::app), std::nullopt, std::nullopt}));
}

}  // namespace
}  // namespace quillo::ui::test

#include "snapshot.h"

#include <QImage>
#include <QLayout>
#include <QPainter>
#include <system_error>

namespace quillo::ui {

std::vector<std::filesystem::path> writeSnapshots(const std::vector<SnapshotWindow>& windows,
                                                  const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw SnapshotError("Cannot make the folder " + folder.string() + ": " + error.message());
  std::vector<std::filesystem::path> written;
  for (const SnapshotWindow& window : windows) {
    QWidget& widget = *window.widget;
    widget.ensurePolished();
    if (QLayout* layout = widget.layout()) layout->activate();
    if (widget.size().isEmpty()) widget.resize(widget.sizeHint());
    // Drawn at one device pixel per point, so that the picture is the same on every screen.
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    const std::filesystem::path file = folder / (window.name + ".png");
    if (!image.save(QString::fromStdString(file.string()), "PNG"))
      throw SnapshotError("Cannot write the snapshot " + file.string() + ".");
    written.push_back(file);
  }
  return written;
}

}  // namespace quillo::ui

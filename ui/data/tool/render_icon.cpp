// Renders the application icon's SVG as the square PNGs of the hicolor theme:
//   quillo-render-icon ICON.svg OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/<size>x<size>/apps/<icon name>.png for each size.
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

struct RenderError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int parseSize(const char* text) {
  bool ok = false;
  const int size = QString::fromLocal8Bit(text).toInt(&ok);
  if (!ok || size < 1 || size > 4096) throw RenderError(std::string("not an icon size: ") + text);
  return size;
}

void renderPng(QSvgRenderer& renderer, int size, const std::filesystem::path& file) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  std::filesystem::create_directories(file.parent_path());
  if (!image.save(QString::fromStdString(file.string()), "PNG"))
    throw RenderError("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: quillo-render-icon ICON.svg OUTPUT_FOLDER SIZE...\n", stderr);
    return 2;
  }
  try {
    const QString source = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) throw RenderError("not a readable SVG image: " + source.toStdString());
    const std::string name = QFileInfo(source).completeBaseName().toStdString();
    const std::filesystem::path output = argv[2];
    for (int index = 3; index < argc; ++index) {
      const int size = parseSize(argv[index]);
      const std::string folder = std::to_string(size) + "x" + std::to_string(size);
      renderPng(renderer, size, output / folder / "apps" / (name + ".png"));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillo-render-icon: %s\n", error.what());
    return 1;
  }
  return 0;
}

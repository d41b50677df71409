#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "quillo/ui/style/key_caps.h"

namespace quillo::ui {
namespace {

TEST(KeyCapLabels, LinuxShortcutsComeApartIntoTheirKeys) {
  EXPECT_EQ(keyCapLabels("Ctrl+Shift+N"), QStringList({"Ctrl", "Shift", "N"}));
  EXPECT_EQ(keyCapLabels("Shift+Super+Space"), QStringList({"Shift", "Super", "Space"}));
}

TEST(KeyCapLabels, APlusKeyIsAKeyOfItsOwn) {
  EXPECT_EQ(keyCapLabels("Ctrl++"), QStringList({"Ctrl", "+"}));
}

TEST(KeyCapLabels, GtkAcceleratorsReadAsWords) {
  EXPECT_EQ(keyCapLabels("<Control><Shift>s"), QStringList({"Ctrl", "Shift", "S"}));
  EXPECT_EQ(keyCapLabels("<Primary>Return"), QStringList({"Ctrl", "Enter"}));
}

TEST(KeyCapLabels, MacSymbolsReadAsTheKeysThatWorkHere) {
  EXPECT_EQ(keyCapLabels("\u21e7\u2318N"), QStringList({"Shift", "Ctrl", "N"}));
  EXPECT_EQ(keyCapLabels("\u2325\u2318\u238b"), QStringList({"Alt", "Ctrl", "Esc"}));
}

int firstPaintedColumn(const QImage& image, QColor background) {
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (image.pixelColor(x, y) != background) return x;
  return -1;
}

QImage paintedCaps(Qt::Alignment alignment, QRect* drawn) {
  QImage image(200, 40, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPalette palette;
  palette.setColor(QPalette::AlternateBase, Qt::black);
  QPainter painter(&image);
  *drawn = KeyCapsPainter(QFont()).paint(painter, image.rect(), {"Ctrl", "K"}, palette, false, alignment);
  return image;
}

TEST(KeyCapsPainter, DrawsAgainstTheRightEdgeUnlessToldLeft) {
  QRect right;
  QRect left;
  EXPECT_GT(firstPaintedColumn(paintedCaps(Qt::AlignRight, &right), Qt::white), 100);
  EXPECT_EQ(right.right(), 199);
  EXPECT_LE(firstPaintedColumn(paintedCaps(Qt::AlignLeft, &left), Qt::white), 1);
  EXPECT_EQ(left.left(), 0);
  EXPECT_EQ(left.size(), right.size());
}

}  // namespace
}  // namespace quillo::ui

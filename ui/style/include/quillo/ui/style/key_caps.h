#pragma once

#include <QFont>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

namespace quillo::ui {

// A keyboard shortcut as the keys to press, one label per key cap: "Ctrl+Shift+N", "<Control>s",
// "⇧⌘N" and "Shift+Super+Space" all come apart into their keys; the Mac modifier symbols read
// as Linux words ("⌘" is "Ctrl" inside the program's windows, as the keys work there).
QStringList keyCapLabels(const QString& shortcut);

// Key caps drawn in a row, the font a little smaller than `font`: each cap a rounded box in the
// palette's quiet tones, or in the highlighted text's colour on the selection.
class KeyCapsPainter {
 public:
  explicit KeyCapsPainter(const QFont& font);

  QSize size(const QStringList& labels) const;
  // Draws the caps right-aligned and vertically centred in `area`.
  void paint(QPainter& painter, const QRect& area, const QStringList& labels, const QPalette& palette,
             bool onSelection) const;

 private:
  int capWidth(const QString& label) const;

  QFont font_;
  int height_;
};

}  // namespace quillo::ui

#pragma once

#include <QFont>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

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
  // Draws the caps vertically centred in `area`, against its right edge or, with Qt::AlignLeft,
  // its left one; returns where the caps ended up.
  QRect paint(QPainter& painter, const QRect& area, const QStringList& labels, const QPalette& palette,
              bool onSelection, Qt::Alignment alignment = Qt::AlignRight) const;

 private:
  int capWidth(const QString& label) const;

  QFont font_;
  int height_;
};

// A shortcut shown on its own as a row of key caps; a screen reader reads the whole shortcut.
class KeyCapsView : public QWidget {
 public:
  explicit KeyCapsView(const QString& shortcut, QWidget* parent = nullptr);

  const QStringList& keys() const { return keys_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QStringList keys_;
};

}  // namespace quillo::ui

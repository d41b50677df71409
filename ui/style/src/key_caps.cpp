#include "quillo/ui/style/key_caps.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <array>
#include <utility>

namespace quillo::ui {
namespace {

constexpr int kPadding = 5;
constexpr int kGap = 3;

constexpr std::array<std::pair<char16_t, const char*>, 4> kMacModifiers{{
    {u'⌃', "Ctrl"},
    {u'⌥', "Alt"},
    {u'⇧', "Shift"},
    {u'⌘', "Ctrl"},
}};

QString wordFor(const QString& key) {
  static const QHash<QString, QString> words{
      {"Control", "Ctrl"}, {"Primary", "Ctrl"}, {"Meta", "Super"},  {"Mod4", "Super"},
      {"Return", "Enter"}, {"↩", "Enter"},      {"⌫", "Backspace"}, {"⎋", "Esc"},
      {"Escape", "Esc"},   {"⇥", "Tab"},        {"space", "Space"},
  };
  if (const auto found = words.find(key); found != words.end()) return *found;
  return key.size() == 1 ? key.toUpper() : key;
}

}  // namespace

QStringList keyCapLabels(const QString& shortcut) {
  QStringList labels;
  QString rest = shortcut.trimmed();
  // GTK's accelerator form: "<Control><Shift>s".
  static const QRegularExpression angled("^<([A-Za-z0-9]+)>");
  for (auto match = angled.match(rest); match.hasMatch(); match = angled.match(rest)) {
    labels << wordFor(match.captured(1));
    rest = rest.mid(match.capturedLength());
  }
  // The Mac symbols in front of the key.
  for (bool found = true; found && !rest.isEmpty();) {
    found = false;
    for (const auto& [symbol, word] : kMacModifiers) {
      if (rest.front() == QChar(symbol)) {
        if (!labels.contains(word)) labels << word;
        rest = rest.mid(1);
        found = true;
      }
    }
  }
  // "Ctrl+Shift+N", where the key itself may be "+".
  while (!rest.isEmpty()) {
    const qsizetype plus = rest.indexOf('+', 1);
    if (plus < 0) {
      labels << wordFor(rest);
      break;
    }
    labels << wordFor(rest.left(plus));
    rest = rest.mid(plus + 1);
  }
  return labels;
}

KeyCapsPainter::KeyCapsPainter(const QFont& font) : font_(font) {
  font_.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.85 : 9);
  height_ = QFontMetrics(font_).height() + 4;
}

int KeyCapsPainter::capWidth(const QString& label) const {
  return std::max(height_, QFontMetrics(font_).horizontalAdvance(label) + 2 * kPadding);
}

QSize KeyCapsPainter::size(const QStringList& labels) const {
  int width = 0;
  for (const QString& label : labels)
    width += capWidth(label) + (width > 0 ? kGap : 0);
  return {width, labels.isEmpty() ? 0 : height_};
}

QRect KeyCapsPainter::paint(QPainter& painter, const QRect& area, const QStringList& labels,
                            const QPalette& palette, bool onSelection, Qt::Alignment alignment) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font_);
  const QColor text = onSelection ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
  QColor fill =
      onSelection ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::AlternateBase);
  if (onSelection) fill.setAlphaF(0.18f);
  QColor edge = onSelection ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Mid);
  if (onSelection) edge.setAlphaF(0.35f);
  const QSize total = size(labels);
  const int left = alignment.testFlag(Qt::AlignLeft) ? area.left() : area.right() - total.width() + 1;
  const int y = area.top() + (area.height() - height_) / 2;
  int x = left;
  for (const QString& label : labels) {
    const QRectF cap(x + 0.5, y + 0.5, capWidth(label) - 1, height_ - 1);
    QPainterPath shape;
    shape.addRoundedRect(cap, 4, 4);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(shape);
    painter.setPen(text);
    painter.drawText(cap, Qt::AlignCenter, label);
    x += capWidth(label) + kGap;
  }
  painter.restore();
  return {QPoint(left, y), total};
}

KeyCapsView::KeyCapsView(const QString& shortcut, QWidget* parent)
    : QWidget(parent), keys_(keyCapLabels(shortcut)) {
  setAccessibleName(shortcut);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize KeyCapsView::sizeHint() const {
  return KeyCapsPainter(font()).size(keys_);
}

void KeyCapsView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  KeyCapsPainter(font()).paint(painter, rect(), keys_, palette(), false, Qt::AlignLeft);
}

}  // namespace quillo::ui

#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace quillo::ui {

// A shortcut drawn as a row of key caps ("Super+Shift+V": three caps), in the palette's colours.
// A screen reader reads the whole shortcut.
class KeyCaps : public QWidget {
 public:
  explicit KeyCaps(const QString& shortcut, QWidget* parent = nullptr);

  const QStringList& keys() const { return keys_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF capRect(int index) const;
  double capWidth(const QString& key) const;

  QStringList keys_;
};

// The keys of a shortcut label: "Ctrl+Alt+Space" as Ctrl, Alt, Space; a "+" key stays a key.
QStringList shortcutKeys(const QString& shortcut);

}  // namespace quillo::ui

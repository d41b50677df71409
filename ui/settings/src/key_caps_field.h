#pragma once

#include <QWidget>
#include <functional>
#include <vector>

namespace quillo::ui {

class ShortcutRecorder;

// The painted part of a shortcut recorder: the combination as key caps in a rounded field that
// takes keyboard focus; while recording, the field shows the accent and the modifiers held.
class KeyCapsField : public QWidget {
  Q_OBJECT

 public:
  explicit KeyCapsField(ShortcutRecorder& owner);

  void setCaps(std::vector<QString> caps, bool recording);
  const std::vector<QString>& caps() const { return caps_; }
  void setHeldModifiers(std::vector<QString> held);

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  ShortcutRecorder& owner_;
  std::vector<QString> caps_;
  std::vector<QString> held_;
  bool recording_ = false;
};

}  // namespace quillo::ui

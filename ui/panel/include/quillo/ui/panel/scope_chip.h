#pragma once

#include <QWidget>
#include <optional>

#include "quillo/ui/style/icons.h"

namespace quillo::ui {

// The scope the field searches, as a small rounded label before it: the front application's icon
// and name for its menus, edged and tinted in the application's accent, or the commands' or files'
// symbol and name in the window's own colours. Tab switches it.
class ScopeChip : public QWidget {
  Q_OBJECT

 public:
  explicit ScopeChip(QWidget* parent = nullptr);

  void setScope(const RowIcon& icon, const QString& title);
  QString title() const { return title_; }
  // None draws the chip in the window's own colours.
  void setAccent(std::optional<QColor> accent);
  std::optional<QColor> accent() const { return accent_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  RowIcon icon_;
  QString title_;
  std::optional<QColor> accent_;
};

}  // namespace quillo::ui

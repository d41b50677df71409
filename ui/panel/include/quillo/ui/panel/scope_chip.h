#pragma once

#include <QWidget>

#include "quillo/ui/style/icons.h"

namespace quillo::ui {

// The scope the field searches, as a small rounded label before it: the front application's icon
// and name for its menus, or the commands' or files' symbol and name. Tab switches it.
class ScopeChip : public QWidget {
  Q_OBJECT

 public:
  explicit ScopeChip(QWidget* parent = nullptr);

  void setScope(const RowIcon& icon, const QString& title);
  QString title() const { return title_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  RowIcon icon_;
  QString title_;
};

}  // namespace quillo::ui

#pragma once

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QPointer>

namespace quillo::ui {

class ResultList;

// One painted row as an accessible list item. It reads the row at its position each time it is
// asked, so it stays true while the rows change under it.
class RowAccessible : public QAccessibleInterface {
 public:
  RowAccessible(ResultList* list, int index) : list_(list), index_(index) {}

  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation) const override {
    return {};
  }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override;

 private:
  QPointer<ResultList> list_;
  int index_;
};

// The result list as an accessible list whose children are its painted rows.
class ResultListAccessible : public QAccessibleWidget {
 public:
  explicit ResultListAccessible(QWidget* list);

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

 private:
  ResultList* list() const;
};

// Makes Qt build ResultListAccessible for every ResultList; once per process.
void installResultListAccessibility();

}  // namespace quillo::ui

#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <vector>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/base/uuid.h"

namespace quillo::ui {

// One line of the history list, as drawn and as a screen reader reads it.
struct ClipboardRow {
  base::Uuid id{};
  QString title;
  QString kind;
  QString source;
  QString age;
  bool isPinned = false;
  bool isFocused = false;
  bool isCopied = false;
  // The place in the user's selection, from 1; 0 when not selected.
  int selectionNumber = 0;
  QPixmap thumbnail;
  // The icon theme's name for the kind, drawn where there is no thumbnail.
  QString iconName;

  // Everything the row shows, in one sentence for assistive technology.
  QString spokenText() const;
};

// The rows of the history list for Qt's item views. Main thread only.
class ClipboardRows final : public QAbstractListModel {
 public:
  explicit ClipboardRows(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  // Makes rows of the model's entries, with decoded thumbnails kept by id.
  void update(app::ClipboardModel& model, base::Date now);

  const ClipboardRow& row(int at) const { return rows_.at(static_cast<std::size_t>(at)); }
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // The row of an entry, if it is listed.
  std::optional<int> rowOf(const base::Uuid& id) const;

 private:
  QPixmap thumbnailOf(app::ClipboardModel& model, const clipboard::ClipboardEntry& entry);

  std::vector<ClipboardRow> rows_;
  QHash<QString, QPixmap> thumbnails_;
};

}  // namespace quillo::ui

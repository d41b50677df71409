#include "clipboard_rows.h"

#include <algorithm>

#include "clipboard_texts.h"

namespace quillo::ui {
QString ClipboardRow::spokenText() const {
  QStringList parts{title, kind};
  if (!source.isEmpty()) parts << QStringLiteral("from %1").arg(source);
  parts << age;
  if (isPinned) parts << QStringLiteral("pinned");
  if (selectionNumber > 0) parts << QStringLiteral("selected %1").arg(selectionNumber);
  if (isCopied) parts << QStringLiteral("copied");
  return parts.join(QStringLiteral(", "));
}

void ClipboardRows::update(app::ClipboardModel& model, base::Date now) {
  const auto& state = model.state();
  std::vector<ClipboardRow> rows;
  rows.reserve(state.entries.size());
  for (const auto& entry : state.entries) {
    ClipboardRow row{
        .id = entry.id,
        .title = QString::fromStdString(listedTitle(entry)),
        .kind = QString::fromStdString(kindText(entry)),
        .source = QString::fromStdString(sourceText(entry)),
        .age = QString::fromStdString(ageText(entry.copiedAt, now)),
        .isPinned = entry.isPinned,
        .isFocused = state.focusedID == entry.id,
        .isCopied = state.copiedIDs.contains(entry.id),
        .selectionNumber = 0,
        .thumbnail = {},
        .iconName = QString::fromStdString(kindIconName(entry)),
    };
    const auto at = std::find(state.selection.begin(), state.selection.end(), entry.id);
    if (at != state.selection.end()) row.selectionNumber = static_cast<int>(at - state.selection.begin()) + 1;
    if (entry.kind == clipboard::ClipboardKind::image) row.thumbnail = thumbnailOf(model, entry);
    rows.push_back(std::move(row));
  }
  const bool sameEntries =
      std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                 [](const ClipboardRow& a, const ClipboardRow& b) { return a.id == b.id; });
  if (sameEntries) {
    rows_ = std::move(rows);
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
    return;
  }
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int ClipboardRows::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ClipboardRows::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ClipboardRow& shown = row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return shown.title;
    case Qt::AccessibleTextRole:
      return shown.spokenText();
    case Qt::ToolTipRole:
      return shown.selectionNumber > 0 ? QStringLiteral("Remove from selection (Ctrl+click or Shift+Space)")
                                       : QStringLiteral("Add to selection (Ctrl+click or Shift+Space)");
    default:
      return {};
  }
}

std::optional<int> ClipboardRows::rowOf(const base::Uuid& id) const {
  const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const ClipboardRow& r) { return r.id == id; });
  if (at == rows_.end()) return std::nullopt;
  return static_cast<int>(at - rows_.begin());
}

QPixmap ClipboardRows::thumbnailOf(app::ClipboardModel& model, const clipboard::ClipboardEntry& entry) {
  const QString key = QString::fromStdString(entry.id.text());
  if (const auto found = thumbnails_.constFind(key); found != thumbnails_.constEnd()) return *found;
  const clipboard::Bytes& bytes = model.thumbnail(entry.id);
  QPixmap pixmap;
  if (!bytes.empty())
    pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<uint>(bytes.size()), "PNG");
  // Bounded like the model's own cache: a long scroll must not keep every picture.
  if (thumbnails_.size() > 400) thumbnails_.clear();
  thumbnails_.insert(key, pixmap);
  return pixmap;
}

}  // namespace quillo::ui

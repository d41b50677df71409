#include "quillo/ui/panel/row_view.h"

#include "quillo/ui/panel/panel_texts.h"
#include "quillo/ui/style/key_caps.h"

namespace quillo::ui {

RowView rowView(const core::ResultRow& row, bool showShortcuts) {
  RowView view{.icon = commandIcon(row.command),
               .title = QString::fromStdString(row.command.title),
               .kind = QString::fromUtf8(displayName(row.command.kind)),
               .detail = detailLine(row),
               .hint = actionHint(row),
               .keyCaps = {},
               .ranked = row.probability.has_value()};
  if (showShortcuts && !row.command.shortcut.empty())
    view.keyCaps = keyCapLabels(QString::fromStdString(row.command.shortcut));
  return view;
}

QString accessibleDescription(const RowView& row) {
  QStringList parts{row.kind};
  if (!row.detail.isEmpty()) parts << row.detail;
  if (!row.keyCaps.isEmpty()) parts << row.keyCaps.join('+');
  if (row.ranked) parts << "ranked by Ravo";
  return parts.join(", ");
}

}  // namespace quillo::ui

#pragma once

#include <QString>
#include <QStringList>

#include "quillo/core/commands/result_row.h"
#include "quillo/ui/style/icons.h"

namespace quillo::ui {

// One row of the result list as it is drawn and read out: already formatted texts.
struct RowView {
  RowIcon icon{};
  QString title{};
  QString kind{};
  QString detail{};
  // What Return does, shown on the selected row.
  QString hint{};
  // The command's keyboard shortcut as key caps; empty when it has none or they are hidden.
  QStringList keyCaps{};
  // The ranking service placed the row.
  bool ranked = false;
};

RowView rowView(const core::ResultRow& row, bool showShortcuts);

// The row as a screen reader says it: title first, then kind, detail and shortcut.
QString accessibleDescription(const RowView& row);

}  // namespace quillo::ui

#include "diagnostics_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "settings_rows.h"

namespace quillo::ui {

using platform::desktop::FacilityStatus;

QString facilityTitle(const std::string& facility) {
  if (facility == "clipboard") return QObject::tr("Clipboard history");
  if (facility == "shortcuts") return QObject::tr("Global shortcuts");
  if (facility == "paste") return QObject::tr("Automatic paste");
  if (facility == "frontApplication") return QObject::tr("Application in front");
  if (facility == "menus") return QObject::tr("Menus of other applications");
  if (facility == "tray") return QObject::tr("Status icon");
  if (facility == "keepAwake") return QObject::tr("Keep awake");
  if (facility == "panel") return QObject::tr("Panel placement");
  return QString::fromStdString(facility);
}

QString stateTitle(FacilityStatus::State state) {
  switch (state) {
    case FacilityStatus::State::working:
      return QObject::tr("Working");
    case FacilityStatus::State::degraded:
      return QObject::tr("Limited");
    case FacilityStatus::State::unavailable:
      return QObject::tr("Unavailable");
  }
  return {};
}

namespace {

QIcon stateIcon(const QStyle& style, FacilityStatus::State state) {
  switch (state) {
    case FacilityStatus::State::working:
      return style.standardIcon(QStyle::SP_DialogApplyButton);
    case FacilityStatus::State::degraded:
      return style.standardIcon(QStyle::SP_MessageBoxWarning);
    case FacilityStatus::State::unavailable:
      return style.standardIcon(QStyle::SP_MessageBoxCritical);
  }
  return {};
}

// One facility: its icon and name with its state on the first line, then why, then the fix.
QWidget* facilityRow(const FacilityStatus& status, QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName(QStringLiteral("facility:") + QString::fromStdString(status.facility));
  auto* grid = new QGridLayout(row);
  grid->setContentsMargins(0, 6, 0, 6);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);
  const int iconSize = row->style()->pixelMetric(QStyle::PM_SmallIconSize);
  auto* icon = new QLabel(row);
  icon->setPixmap(stateIcon(*row->style(), status.state).pixmap(iconSize, iconSize));
  grid->addWidget(icon, 0, 0, Qt::AlignTop);
  auto* title = new QLabel(facilityTitle(status.facility), row);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  grid->addWidget(title, 0, 1);
  auto* state = new QLabel(stateTitle(status.state), row);
  state->setObjectName(QStringLiteral("state"));
  grid->addWidget(state, 0, 2, Qt::AlignRight);
  auto* detail = explanation(QString::fromStdString(status.detail), row);
  detail->setObjectName(QStringLiteral("detail"));
  grid->addWidget(detail, 1, 1, 1, 2);
  if (!status.fix.empty()) {
    auto* fix = new QLabel(QObject::tr("To fix: %1").arg(QString::fromStdString(status.fix)), row);
    fix->setObjectName(QStringLiteral("fix"));
    fix->setWordWrap(true);
    fix->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(fix, 2, 1, 1, 2);
  }
  grid->setColumnStretch(1, 1);
  row->setAccessibleName(facilityTitle(status.facility) + QStringLiteral(": ") + stateTitle(status.state));
  row->setAccessibleDescription(QString::fromStdString(status.detail));
  return row;
}

}  // namespace

DiagnosticsPage::DiagnosticsPage(SettingsContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  layout->addWidget(pageTitle(tr("Diagnostics"), this));
  layout->addWidget(explanation(tr("Linux desktops differ in what they let Quillo do. This is what works in "
                                   "this session, and the one step that fixes what does not."),
                                this));
  rows_ = new QWidget(this);
  rows_->setObjectName(QStringLiteral("facilities"));
  rows_->setAccessibleName(tr("Desktop facilities"));
  rowsLayout_ = new QVBoxLayout(rows_);
  rowsLayout_->setContentsMargins(0, 6, 0, 6);
  rowsLayout_->setSpacing(0);
  layout->addWidget(rows_);
  auto* again = new QPushButton(tr("Check Again"), this);
  again->setObjectName(QStringLiteral("checkAgain"));
  connect(again, &QPushButton::clicked, this, &DiagnosticsPage::refresh);
  layout->addWidget(again, 0, Qt::AlignLeft);
}

void DiagnosticsPage::refresh() {
  while (QLayoutItem* item = rowsLayout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  if (!context_.diagnostics) return;
  bool first = true;
  for (const FacilityStatus& status : context_.diagnostics()) {
    if (!first) {
      auto* line = new QFrame(rows_);
      line->setFrameShape(QFrame::HLine);
      line->setForegroundRole(QPalette::Mid);
      rowsLayout_->addWidget(line);
      line->show();
    }
    first = false;
    // Shown now, not on the next turn of the loop, so that the page never shows half a list.
    QWidget* row = facilityRow(status, rows_);
    rowsLayout_->addWidget(row);
    row->show();
  }
}

}  // namespace quillo::ui

#include "diagnostics_page.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

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

}  // namespace

DiagnosticsPage::DiagnosticsPage(SettingsContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  layout->addWidget(pageTitle(tr("Diagnostics"), this));
  layout->addWidget(explanation(tr("Linux desktops differ in what they let Quillo do. This is what works in "
                                   "this session, and the one step that fixes what does not."),
                                this));
  facilities_ = new QTreeWidget(this);
  facilities_->setObjectName(QStringLiteral("facilities"));
  facilities_->setAccessibleName(tr("Desktop facilities"));
  facilities_->setColumnCount(3);
  facilities_->setHeaderLabels({tr("Facility"), tr("State"), tr("Details")});
  facilities_->setRootIsDecorated(false);
  facilities_->setWordWrap(true);
  facilities_->setAlternatingRowColors(true);
  facilities_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
  layout->addWidget(facilities_, 1);
  auto* again = new QPushButton(tr("Check Again"), this);
  again->setObjectName(QStringLiteral("checkAgain"));
  connect(again, &QPushButton::clicked, this, &DiagnosticsPage::refresh);
  layout->addWidget(again, 0, Qt::AlignLeft);
}

void DiagnosticsPage::refresh() {
  facilities_->clear();
  if (!context_.diagnostics) return;
  for (const FacilityStatus& status : context_.diagnostics()) {
    QString details = QString::fromStdString(status.detail);
    if (!status.fix.empty())
      details += QLatin1Char('\n') + tr("To fix: %1").arg(QString::fromStdString(status.fix));
    auto* item =
        new QTreeWidgetItem(facilities_, {facilityTitle(status.facility), stateTitle(status.state), details});
    item->setIcon(1, stateIcon(*style(), status.state));
    item->setData(0, Qt::UserRole, QString::fromStdString(status.facility));
    item->setToolTip(2, details);
  }
  facilities_->resizeColumnToContents(0);
  facilities_->resizeColumnToContents(1);
}

}  // namespace quillo::ui

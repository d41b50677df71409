#include "privacy_page.h"

#include <QSignalBlocker>

#include "settings_rows.h"

namespace quillo::ui {

PrivacyPage::PrivacyPage(SettingsContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  failure_ = failureLabel(this);
  layout->addWidget(pageTitle(tr("Privacy"), this));

  layout->addWidget(sectionTitle(tr("What Ravo receives"), this));
  layout->addWidget(explanation(
      tr("Ravo, the ranking service, picks the best result for what you type. It receives your search "
         "and the names of the commands it may choose from: the menu commands of the application in "
         "front, your applications and system commands. With “Find files with Ravo” on, it also receives "
         "file names and folders."),
      this));
  layout->addWidget(sectionTitle(tr("What never leaves this computer"), this));
  layout->addWidget(explanation(
      tr("Your clipboard history, the contents of your files, what you type into other applications, "
         "passwords and tokens. With “Hide what your menus list” on, neither do the files, pages, tabs "
         "and windows your menus name."),
      this));

  hideMenuData_ =
      addSwitch(layout, QStringLiteral("hideMenuData"), tr("Hide what your menus list"),
                tr("Files, pages, tabs, and windows stay on this computer. Ravo sees only commands."));
  connect(hideMenuData_, &QCheckBox::toggled, this,
          [this](bool on) { change([&] { context_.preferences.setHideMenuData(on); }); });
  searchFiles_ = addSwitch(layout, QStringLiteral("searchFilesWithRavo"), tr("Find files with Ravo"),
                           tr("Ravo reads your file searches and receives the names of files and folders. "
                              "Off, files are found by name only, on this computer."));
  connect(searchFiles_, &QCheckBox::toggled, this, [this](bool on) {
    change([&] {
      context_.preferences.setSearchFilesWithRavo(on);
      // The file ranker comes or goes with the switch.
      context_.folders.prepareFiles();
    });
  });

  layout->addWidget(sectionTitle(tr("Usage statistics"), this));
  telemetry_ = addSwitch(layout, QString::fromUtf8(app::TelemetryService::enabledKey),
                         tr("Share anonymous usage statistics"),
                         tr("Counts of which features you use and how often, to make Quillo better. Never "
                            "anything you type, copy or search, and nothing that identifies you."));
  connect(telemetry_, &QCheckBox::toggled, this,
          [this](bool on) { change([&] { context_.telemetry.setEnabled(on); }); });
  layout->addWidget(failure_);
  refresh();
}

void PrivacyPage::change(const std::function<void()>& write) {
  attempt(failure_, write);
  refresh();
}

void PrivacyPage::refresh() {
  const QSignalBlocker menuQuiet(hideMenuData_);
  hideMenuData_->setChecked(context_.preferences.hideMenuData());
  const QSignalBlocker filesQuiet(searchFiles_);
  searchFiles_->setChecked(context_.preferences.searchFilesWithRavo());
  const QSignalBlocker telemetryQuiet(telemetry_);
  telemetry_->setChecked(context_.telemetry.isEnabled());
}

AboutPage::AboutPage(const SettingsContext& context, QWidget* parent) : QWidget(parent) {
  auto* layout = pageLayout(this);
  layout->addWidget(pageTitle(tr("Quillo"), this));
  auto* version = new QLabel(tr("Version %1").arg(QString::fromStdString(context.version)), this);
  version->setObjectName(QStringLiteral("version"));
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(version);
  layout->addWidget(explanation(tr("A keyboard launcher with a clipboard history: run any command of the "
                                   "application in front, open applications and files, and paste what "
                                   "you copied before."),
                                this));
}

}  // namespace quillo::ui

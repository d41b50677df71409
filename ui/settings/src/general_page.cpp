#include "general_page.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "quillo/ui/settings/shortcut_recorder.h"
#include "settings_rows.h"

namespace quillo::ui {

namespace {

// In the order the settings list them.
constexpr core::OpeningScope kScopes[] = {core::OpeningScope::frontApp, core::OpeningScope::mac,
                                          core::OpeningScope::lastUsed};

QString scopeTitle(core::OpeningScope scope) {
  switch (scope) {
    case core::OpeningScope::frontApp:
      return QObject::tr("Menus of the application in front");
    case core::OpeningScope::mac:
      return QObject::tr("Applications and commands");
    case core::OpeningScope::lastUsed:
      return QObject::tr("Where I left off");
  }
  return {};
}

}  // namespace

GeneralPage::GeneralPage(SettingsContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  layout->addWidget(pageTitle(tr("General"), this));
  failure_ = failureLabel(this);

  layout->addWidget(sectionTitle(tr("Shortcuts"), this));
  if (context_.launcherShortcut) {
    layout->addWidget(explanation(tr("Open Quillo"), this));
    launcherRecorder_ = new ShortcutRecorder(*context_.launcherShortcut, tr("Launcher shortcut"), this);
    launcherRecorder_->setObjectName(QStringLiteral("launcherShortcut"));
    layout->addWidget(launcherRecorder_);
  }
  if (context_.clipboardShortcut) {
    layout->addWidget(explanation(tr("Open clipboard history"), this));
    clipboardRecorder_ = new ShortcutRecorder(*context_.clipboardShortcut, tr("Clipboard shortcut"), this);
    clipboardRecorder_->setObjectName(QStringLiteral("clipboardShortcut"));
    layout->addWidget(clipboardRecorder_);
  }
  if (context_.allowDesktopShortcuts) {
    desktopShortcuts_ =
        addSwitch(layout, QStringLiteral("desktopShortcutsAllowed"),
                  tr("Add Quillo’s shortcuts to GNOME’s keyboard settings"),
                  tr("GNOME lets no program grab keys on Wayland. With this on, Quillo writes its two "
                     "shortcuts into GNOME’s custom shortcuts, where GNOME runs them; turning it off "
                     "takes them out again."));
    connect(desktopShortcuts_, &QCheckBox::toggled, this,
            [this](bool on) { change([&] { context_.allowDesktopShortcuts(on); }); });
    byHand_ = explanation(tr("Without this, bind “quillo --toggle” and “quillo --clipboard” to keys "
                             "yourself in GNOME’s Settings, Keyboard, Custom Shortcuts."),
                          this);
    byHand_->setObjectName(QStringLiteral("shortcutsByHand"));
    layout->addWidget(byHand_);
  }
  if (!context_.launcherShortcut && !context_.clipboardShortcut) {
    layout->addWidget(explanation(tr("This desktop binds Quillo’s shortcuts in its own keyboard settings: "
                                     "bind “quillo --toggle” and “quillo --clipboard” there."),
                                  this));
  }

  layout->addWidget(sectionTitle(tr("Launcher"), this));
  layout->addWidget(explanation(tr("Open in"), this));
  openingScope_ = new QComboBox(this);
  openingScope_->setObjectName(QStringLiteral("openingScope"));
  openingScope_->setAccessibleName(tr("Open in"));
  for (const core::OpeningScope scope : kScopes)
    openingScope_->addItem(scopeTitle(scope), QString::fromUtf8(core::rawValue(scope)));
  layout->addWidget(openingScope_, 0, Qt::AlignLeft);
  connect(openingScope_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    attempt(failure_, [&] { context_.preferences.setOpeningScope(kScopes[index]); });
  });

  learnFromUsage_ = addSwitch(layout, QStringLiteral("learnFromUsage"), tr("Remember what I run"),
                              tr("Put the commands you run often at the top"));
  connect(learnFromUsage_, &QCheckBox::toggled, this,
          [this](bool on) { change([&] { context_.preferences.setLearnFromUsage(on); }); });
  prefetchMenus_ = addSwitch(layout, QStringLiteral("prefetchMenus"), tr("Read menus ahead"),
                             tr("Read the menus of the application in front before you search, so that "
                                "its commands are ready at once."));
  connect(prefetchMenus_, &QCheckBox::toggled, this,
          [this](bool on) { change([&] { context_.preferences.setPrefetchMenus(on); }); });
  showResultShortcuts_ =
      addSwitch(layout, QStringLiteral("showResultShortcuts"), tr("Show keyboard shortcuts"),
                tr("Show each command’s keyboard shortcut beside its result."));
  connect(showResultShortcuts_, &QCheckBox::toggled, this,
          [this](bool on) { change([&] { context_.preferences.setShowResultShortcuts(on); }); });

  layout->addWidget(sectionTitle(tr("Startup"), this));
  startAtLogin_ = addSwitch(layout, QStringLiteral("startAtLogin"), tr("Start at login"),
                            tr("Quillo starts in the background when you log in, so that its shortcuts "
                               "work from the start."));
  connect(startAtLogin_, &QCheckBox::toggled, this, &GeneralPage::setStartAtLogin);
  layout->addWidget(failure_);
  refresh();
}

void GeneralPage::setStartAtLogin(bool on) {
  change([&] { context_.autostart.setEnabled(on); });
}

void GeneralPage::change(const std::function<void()>& write) {
  attempt(failure_, write);
  // A change that failed shows the value kept.
  refresh();
}

void GeneralPage::refresh() {
  if (launcherRecorder_) launcherRecorder_->refresh();
  if (clipboardRecorder_) clipboardRecorder_->refresh();
  const core::QuilloPreferences& preferences = context_.preferences;
  const QSignalBlocker scopeQuiet(openingScope_);
  for (int index = 0; index < openingScope_->count(); ++index) {
    if (kScopes[index] == preferences.openingScope()) openingScope_->setCurrentIndex(index);
  }
  const QSignalBlocker learnQuiet(learnFromUsage_);
  learnFromUsage_->setChecked(preferences.learnFromUsage());
  const QSignalBlocker prefetchQuiet(prefetchMenus_);
  prefetchMenus_->setChecked(preferences.prefetchMenus());
  const QSignalBlocker shortcutsQuiet(showResultShortcuts_);
  showResultShortcuts_->setChecked(preferences.showResultShortcuts());
  if (desktopShortcuts_) {
    const QSignalBlocker desktopQuiet(desktopShortcuts_);
    desktopShortcuts_->setChecked(preferences.desktopShortcutsAllowed());
    byHand_->setVisible(!preferences.desktopShortcutsAllowed());
  }
  const QSignalBlocker loginQuiet(startAtLogin_);
  startAtLogin_->setChecked(context_.autostart.isEnabled());
}

}  // namespace quillo::ui

#include "clipboard_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <array>

#include "settings_rows.h"

namespace quillo::ui {

namespace {

struct SeparatorChoice {
  const char* title;
  const char* text;
};

constexpr std::array<SeparatorChoice, 5> kSeparators{{
    {QT_TRANSLATE_NOOP("ClipboardPage", "New line"), "\n"},
    {QT_TRANSLATE_NOOP("ClipboardPage", "Blank line"), "\n\n"},
    {QT_TRANSLATE_NOOP("ClipboardPage", "Space"), " "},
    {QT_TRANSLATE_NOOP("ClipboardPage", "Comma"), ", "},
    {QT_TRANSLATE_NOOP("ClipboardPage", "Tab"), "\t"},
}};

constexpr int kIdRole = Qt::UserRole;

}  // namespace

ClipboardPage::ClipboardPage(SettingsContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  failure_ = failureLabel(this);
  layout->addWidget(pageTitle(tr("Clipboard"), this));
  app::ClipboardSettings& settings = context_.clipboard;

  enabled_ = addSwitch(layout, QStringLiteral("clipboard.enabled"), tr("Record clipboard history"),
                       tr("Keep what you copy, so that you can find and paste it again. The history stays on "
                          "this computer."));
  connect(enabled_, &QCheckBox::toggled, this,
          [this, &settings](bool on) { change([&] { settings.setEnabled(on); }); });

  layout->addWidget(sectionTitle(tr("Keep"), this));
  text_ = addSwitch(layout, QStringLiteral("clipboard.text"), tr("Text"), {});
  images_ = addSwitch(layout, QStringLiteral("clipboard.images"), tr("Images"), {});
  files_ = addSwitch(layout, QStringLiteral("clipboard.files"), tr("Files"), {});
  connect(text_, &QCheckBox::toggled, this,
          [this, &settings](bool on) { change([&] { settings.setSaveText(on); }); });
  connect(images_, &QCheckBox::toggled, this,
          [this, &settings](bool on) { change([&] { settings.setSaveImages(on); }); });
  connect(files_, &QCheckBox::toggled, this,
          [this, &settings](bool on) { change([&] { settings.setSaveFiles(on); }); });

  auto* limits = new QFormLayout;
  limits->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  days_ = new QSpinBox(this);
  days_->setObjectName(QStringLiteral("clipboard.days"));
  days_->setRange(1, 3650);
  days_->setSuffix(tr(" days"));
  days_->setAccessibleName(tr("Keep items for"));
  megabytes_ = new QSpinBox(this);
  megabytes_->setObjectName(QStringLiteral("clipboard.megabytes"));
  megabytes_->setRange(16, 64 * 1024);
  megabytes_->setSingleStep(64);
  megabytes_->setSuffix(tr(" MB"));
  megabytes_->setAccessibleName(tr("Use at most"));
  limits->addRow(tr("Keep items for"), days_);
  limits->addRow(tr("Use at most"), megabytes_);
  layout->addLayout(limits);
  layout->addWidget(explanation(tr("Pinned items are kept however old they are."), this));
  // Written when the user is done with the field, not on every digit typed.
  days_->setKeyboardTracking(false);
  megabytes_->setKeyboardTracking(false);
  connect(days_, &QSpinBox::valueChanged, this,
          [this, &settings](int days) { change([&] { settings.setRetentionDays(days); }); });
  connect(megabytes_, &QSpinBox::valueChanged, this,
          [this, &settings](int megabytes) { change([&] { settings.setStorageMB(megabytes); }); });

  layout->addWidget(sectionTitle(tr("Never keep copies from"), this));
  excluded_ = new QListWidget(this);
  excluded_->setObjectName(QStringLiteral("clipboard.excludedApps"));
  excluded_->setAccessibleName(tr("Applications whose copies are never kept"));
  excluded_->setMaximumHeight(120);
  layout->addWidget(excluded_);
  auto* excludedButtons = new QHBoxLayout;
  auto* addExcluded = new QPushButton(tr("Add Application…"), this);
  addExcluded->setObjectName(QStringLiteral("addExcludedApp"));
  removeExcluded_ = new QPushButton(tr("Remove"), this);
  removeExcluded_->setObjectName(QStringLiteral("removeExcludedApp"));
  excludedButtons->addWidget(addExcluded);
  excludedButtons->addWidget(removeExcluded_);
  excludedButtons->addStretch();
  layout->addLayout(excludedButtons);
  connect(addExcluded, &QPushButton::clicked, this, &ClipboardPage::addExcludedApp);
  connect(removeExcluded_, &QPushButton::clicked, this, &ClipboardPage::removeExcludedApp);
  connect(excluded_, &QListWidget::currentRowChanged, this,
          [this](int row) { removeExcluded_->setEnabled(row >= 0); });

  layout->addWidget(sectionTitle(tr("Pasting several items"), this));
  separator_ = new QComboBox(this);
  separator_->setObjectName(QStringLiteral("clipboard.separator"));
  separator_->setAccessibleName(tr("Join items with"));
  separator_->setEditable(true);
  separator_->setInsertPolicy(QComboBox::NoInsert);
  for (const SeparatorChoice& choice : kSeparators)
    separator_->addItem(tr(choice.title), QString::fromUtf8(choice.text));
  auto* joinRow = new QFormLayout;
  joinRow->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  joinRow->addRow(tr("Join items with"), separator_);
  layout->addLayout(joinRow);
  connect(separator_, &QComboBox::activated, this,
          [this](int index) { setSeparator(separator_->itemData(index).toString()); });
  connect(separator_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    const QString typed = separator_->currentText();
    // A preset's title stands for its text; anything else is the text itself.
    const int preset = separator_->findText(typed);
    setSeparator(preset >= 0 ? separator_->itemData(preset).toString() : typed);
  });

  layout->addWidget(sectionTitle(tr("Privacy"), this));
  forgetsTokens_ =
      addSwitch(layout, QStringLiteral("clipboard.forgetTokens"), tr("Forget passwords and tokens"),
                tr("Text that looks like a password, key or token is removed an hour after you "
                   "copied it, and never shown in full."));
  connect(forgetsTokens_, &QCheckBox::toggled, this,
          [this, &settings](bool on) { change([&] { settings.setForgetsTokens(on); }); });

  layout->addWidget(sectionTitle(tr("History"), this));
  usage_ = explanation({}, this);
  usage_->setObjectName(QStringLiteral("clipboardUsage"));
  layout->addWidget(usage_);
  auto* clearButtons = new QHBoxLayout;
  auto* clear = new QPushButton(tr("Clear History…"), this);
  clear->setObjectName(QStringLiteral("clearHistory"));
  auto* clearAll = new QPushButton(tr("Clear Including Pinned…"), this);
  clearAll->setObjectName(QStringLiteral("clearHistoryIncludingPinned"));
  clearButtons->addWidget(clear);
  clearButtons->addWidget(clearAll);
  clearButtons->addStretch();
  layout->addLayout(clearButtons);
  connect(clear, &QPushButton::clicked, this, [this] { askToClear(false); });
  connect(clearAll, &QPushButton::clicked, this, [this] { askToClear(true); });
  layout->addWidget(failure_);
  refresh();
}

void ClipboardPage::change(const std::function<void()>& write) {
  // The monitor and the store pick up the new limits and recording state at once.
  if (attempt(failure_, write)) context_.clipboardModel.settingsChanged();
  refresh();
}

void ClipboardPage::setSeparator(const QString& text) {
  if (text.toStdString() == context_.clipboard.values().separator) return;
  change([&] { context_.clipboard.setSeparator(text.toStdString()); });
}

void ClipboardPage::askToClear(bool includingPinned) {
  auto* question = new QMessageBox(
      QMessageBox::Warning,
      includingPinned ? tr("Clear the whole clipboard history?") : tr("Clear the clipboard history?"),
      includingPinned ? tr("Every item goes, pinned ones too. This can’t be undone.")
                      : tr("Every item goes except the pinned ones. This can’t be undone."),
      QMessageBox::Cancel, this);
  question->setObjectName(QStringLiteral("clearQuestion"));
  QPushButton* confirm = question->addButton(tr("Clear"), QMessageBox::DestructiveRole);
  confirm->setObjectName(QStringLiteral("confirmClear"));
  question->setDefaultButton(QMessageBox::Cancel);
  question->setAttribute(Qt::WA_DeleteOnClose);
  connect(question, &QMessageBox::buttonClicked, this,
          [this, confirm, includingPinned](QAbstractButton* button) {
            if (button == confirm) context_.clipboardModel.clearHistory(includingPinned);
          });
  question->open();
}

void ClipboardPage::addExcludedApp() {
  bool accepted = false;
  const QString id = QInputDialog::getText(this, tr("Never Keep Copies From"),
                                           tr("The application’s id (its desktop file’s name without "
                                              "“.desktop”, such as org.keepassxc.KeePassXC):"),
                                           QLineEdit::Normal, {}, &accepted)
                         .trimmed();
  if (!accepted || id.isEmpty()) return;
  auto apps = context_.clipboard.values().excludedApps;
  // The last part of a reverse-domain id reads as the application's name.
  apps.emplace(id.toStdString(), id.section(QLatin1Char('.'), -1).toStdString());
  change([&] { context_.clipboard.setExcludedApps(apps); });
}

void ClipboardPage::removeExcludedApp() {
  const QListWidgetItem* item = excluded_->currentItem();
  if (!item) return;
  auto apps = context_.clipboard.values().excludedApps;
  apps.erase(item->data(kIdRole).toString().toStdString());
  change([&] { context_.clipboard.setExcludedApps(apps); });
}

void ClipboardPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  modelChanges_ = context_.clipboardModel.observe([this] { refresh(); });
  refresh();
}

void ClipboardPage::hideEvent(QHideEvent* event) {
  modelChanges_.reset();
  QWidget::hideEvent(event);
}

void ClipboardPage::refresh() {
  const core::ClipboardPreferences& values = context_.clipboard.values();
  const auto set = [](QCheckBox* box, bool on) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
  };
  set(enabled_, values.isEnabled);
  set(text_, values.saveText);
  set(images_, values.saveImages);
  set(files_, values.saveFiles);
  set(forgetsTokens_, values.forgetsTokens);
  for (QCheckBox* kind : {text_, images_, files_})
    kind->setEnabled(values.isEnabled);
  {
    const QSignalBlocker quiet(days_);
    days_->setValue(static_cast<int>(values.retentionDays));
  }
  {
    const QSignalBlocker quiet(megabytes_);
    megabytes_->setValue(static_cast<int>(values.storageMB));
  }
  {
    const QSignalBlocker quiet(excluded_);
    excluded_->clear();
    for (const auto& [id, name] : values.excludedApps) {
      // Several ids may share a name (one application packaged in different ways).
      auto* item = new QListWidgetItem(
          tr("%1 (%2)").arg(QString::fromStdString(name), QString::fromStdString(id)), excluded_);
      item->setData(kIdRole, QString::fromStdString(id));
      item->setToolTip(QString::fromStdString(id));
    }
    removeExcluded_->setEnabled(false);
  }
  {
    const QSignalBlocker quiet(separator_);
    const int preset = separator_->findData(QString::fromStdString(values.separator));
    if (preset >= 0)
      separator_->setCurrentIndex(preset);
    else
      separator_->setEditText(QString::fromStdString(values.separator));
  }
  const app::ClipboardModelState& state = context_.clipboardModel.state();
  if (state.isReady) {
    usage_->setText(tr("%n item(s), %1 on disk.", nullptr, static_cast<int>(state.totalCount))
                        .arg(QLocale().formattedDataSize(state.storedBytes)));
  } else {
    usage_->setText(tr("The history is not open."));
  }
}

}  // namespace quillo::ui

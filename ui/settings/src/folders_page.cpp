#include "folders_page.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "settings_rows.h"

namespace quillo::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFailureRole = Qt::UserRole + 1;

}  // namespace

FoldersPage::FoldersPage(SettingsContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = pageLayout(this);
  layout->addWidget(pageTitle(tr("Search Folders"), this));
  layout->addWidget(
      explanation(tr("File search reads only the folders you choose here, with their subfolders. "
                     "Nothing else on this computer is searched."),
                  this));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("folders"));
  list_->setAccessibleName(tr("Search folders"));
  list_->setWordWrap(true);
  list_->setAlternatingRowColors(true);
  list_->setMinimumHeight(160);
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  add_ = new QPushButton(tr("Add Folders…"), this);
  add_->setObjectName(QStringLiteral("addFolders"));
  replace_ = new QPushButton(tr("Choose Again…"), this);
  replace_->setObjectName(QStringLiteral("replaceFolder"));
  remove_ = new QPushButton(tr("Remove"), this);
  remove_->setObjectName(QStringLiteral("removeFolder"));
  buttons->addWidget(add_);
  buttons->addWidget(replace_);
  buttons->addWidget(remove_);
  buttons->addStretch();
  layout->addLayout(buttons);

  state_ = explanation({}, this);
  state_->setObjectName(QStringLiteral("indexState"));
  layout->addWidget(state_);
  failure_ = failureLabel(this);
  layout->addWidget(failure_);

  connect(add_, &QPushButton::clicked, this, [this] {
    attempt(failure_, [this] { context_.folders.chooseFileFolders(); });
    refresh();
  });
  connect(replace_, &QPushButton::clicked, this, [this] {
    if (const auto folder = selectedFolder()) {
      attempt(failure_, [&] { context_.folders.chooseFileFolders(*folder); });
      refresh();
    }
  });
  connect(remove_, &QPushButton::clicked, this, [this] {
    if (const auto folder = selectedFolder()) {
      attempt(failure_, [&] { context_.folders.removeFileFolder(*folder); });
      refresh();
    }
  });
  connect(list_, &QListWidget::currentRowChanged, this, &FoldersPage::updateButtons);
  refresh();
}

std::optional<std::string> FoldersPage::selectedFolder() const {
  const QListWidgetItem* item = list_->currentItem();
  if (!item) return std::nullopt;
  return item->data(kPathRole).toString().toStdString();
}

void FoldersPage::updateButtons() {
  const bool chosen = list_->currentItem() != nullptr;
  const bool choosing = context_.folders.isChoosingFileFolders();
  add_->setEnabled(!choosing);
  replace_->setEnabled(chosen && !choosing);
  remove_->setEnabled(chosen && !choosing);
}

void FoldersPage::refresh() {
  const app::SearchFolders& folders = context_.folders;
  const auto kept = selectedFolder();
  list_->clear();
  for (const std::string& path : context_.preferences.fileSearchPaths()) {
    const auto failure = folders.fileFolderFailures().find(path);
    QString text = QString::fromStdString(path);
    auto* item = new QListWidgetItem(list_);
    item->setData(kPathRole, text);
    if (failure != folders.fileFolderFailures().end()) {
      const QString message = QString::fromStdString(failure->second);
      item->setData(kFailureRole, message);
      text += QLatin1Char('\n') + message;
      item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    } else {
      item->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    }
    item->setText(text);
    item->setData(Qt::AccessibleTextRole, text);
    if (kept && *kept == path) list_->setCurrentItem(item);
  }
  if (list_->count() == 0)
    state_->setText(tr("No folders yet: add the folders you want to find files in."));
  else if (folders.isIndexingFiles())
    state_->setText(tr("Indexing files…"));
  else if (folders.fileIndex())
    state_->setText(tr("Ready to search."));
  else
    state_->setText({});
  if (const auto& error = folders.fileSelectionError()) showFailure(failure_, QString::fromStdString(*error));
  updateButtons();
}

}  // namespace quillo::ui

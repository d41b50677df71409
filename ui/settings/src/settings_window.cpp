#include "quillo/ui/settings/settings_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <array>

#include "clipboard_page.h"
#include "diagnostics_page.h"
#include "folders_page.h"
#include "general_page.h"
#include "privacy_page.h"

namespace quillo::ui {

namespace {

struct PageEntry {
  SettingsWindow::Page page;
  const char* title;
  // The icon theme's name, and Qt's own icon where the theme has none.
  const char* themeIcon;
  QStyle::StandardPixmap icon;
};

// The sidebar, top to bottom.
constexpr std::array<PageEntry, 6> kPages{{
    {SettingsWindow::Page::general, QT_TRANSLATE_NOOP("SettingsWindow", "General"), "preferences-system",
     QStyle::SP_ComputerIcon},
    {SettingsWindow::Page::searchFolders, QT_TRANSLATE_NOOP("SettingsWindow", "Search Folders"), "folder",
     QStyle::SP_DirIcon},
    {SettingsWindow::Page::clipboard, QT_TRANSLATE_NOOP("SettingsWindow", "Clipboard"), "edit-paste",
     QStyle::SP_FileDialogDetailedView},
    {SettingsWindow::Page::privacy, QT_TRANSLATE_NOOP("SettingsWindow", "Privacy"), "security-high",
     QStyle::SP_DialogApplyButton},
    {SettingsWindow::Page::diagnostics, QT_TRANSLATE_NOOP("SettingsWindow", "Diagnostics"),
     "dialog-information", QStyle::SP_MessageBoxInformation},
    {SettingsWindow::Page::about, QT_TRANSLATE_NOOP("SettingsWindow", "About"), "help-about",
     QStyle::SP_TitleBarContextHelpButton},
}};

QScrollArea* scrolling(QWidget* page, QWidget* parent) {
  auto* area = new QScrollArea(parent);
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setBackgroundRole(QPalette::Window);
  return area;
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(std::move(context)) {
  setWindowTitle(tr("Quillo Settings"));
  setObjectName(QStringLiteral("settings"));
  resize(760, 560);

  sidebar_ = new QListWidget(this);
  sidebar_->setObjectName(QStringLiteral("pages"));
  sidebar_->setAccessibleName(tr("Settings pages"));
  sidebar_->setFrameShape(QFrame::NoFrame);
  sidebar_->setBackgroundRole(QPalette::AlternateBase);
  sidebar_->setIconSize(QSize(20, 20));
  sidebar_->setSpacing(2);
  pages_ = new QStackedWidget(this);

  general_ = new GeneralPage(context_, this);
  folders_ = new FoldersPage(context_, this);
  clipboard_ = new ClipboardPage(context_, this);
  privacy_ = new PrivacyPage(context_, this);
  diagnostics_ = new DiagnosticsPage(context_, this);
  about_ = new AboutPage(context_, this);
  for (const PageEntry& entry : kPages) {
    auto* item = new QListWidgetItem(
        QIcon::fromTheme(QString::fromLatin1(entry.themeIcon), style()->standardIcon(entry.icon)),
        tr(entry.title), sidebar_);
    item->setSizeHint(QSize(0, 32));
    pages_->addWidget(scrolling(pageWidget(entry.page), pages_));
  }
  const int widest = sidebar_->sizeHintForColumn(0) + 32;
  sidebar_->setFixedWidth(std::max(widest, 170));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(sidebar_);
  layout->addWidget(pages_, 1);

  connect(sidebar_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    pages_->setCurrentIndex(row);
    // A page shows the models as they are now.
    switch (kPages[static_cast<std::size_t>(row)].page) {
      case Page::general:
        general_->refresh();
        break;
      case Page::searchFolders:
        folders_->refresh();
        break;
      case Page::clipboard:
        clipboard_->refresh();
        break;
      case Page::privacy:
        privacy_->refresh();
        break;
      case Page::diagnostics:
        diagnostics_->refresh();
        break;
      case Page::about:
        break;
    }
  });
  // Ctrl plays Command inside Quillo's windows: Ctrl+W closes this one, as in every window.
  auto* closing = new QShortcut(QKeySequence::Close, this);
  connect(closing, &QShortcut::activated, this, &QWidget::close);
  showPage(Page::general);
}

SettingsWindow::~SettingsWindow() = default;

QWidget* SettingsWindow::pageWidget(Page page) const {
  switch (page) {
    case Page::general:
      return general_;
    case Page::searchFolders:
      return folders_;
    case Page::clipboard:
      return clipboard_;
    case Page::privacy:
      return privacy_;
    case Page::diagnostics:
      return diagnostics_;
    case Page::about:
      return about_;
  }
  return general_;
}

void SettingsWindow::showPage(Page page) {
  for (std::size_t row = 0; row < kPages.size(); ++row) {
    if (kPages[row].page == page) sidebar_->setCurrentRow(static_cast<int>(row));
  }
}

SettingsWindow::Page SettingsWindow::currentPage() const {
  const int row = std::max(sidebar_->currentRow(), 0);
  return kPages[static_cast<std::size_t>(row)].page;
}

void SettingsWindow::refresh() {
  general_->refresh();
  folders_->refresh();
  clipboard_->refresh();
  privacy_->refresh();
  // The diagnostics probe the session: only when they are looked at.
  if (currentPage() == Page::diagnostics) diagnostics_->refresh();
}

void SettingsWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Back from the folder panel, another window or the desktop's own settings.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) refresh();
}

}  // namespace quillo::ui

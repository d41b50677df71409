#include "quillo/ui/panel/launcher_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include "quillo/ui/panel/feedback_view.h"
#include "quillo/ui/panel/file_preview.h"
#include "quillo/ui/panel/panel_texts.h"
#include "quillo/ui/panel/result_list.h"
#include "quillo/ui/panel/scope_chip.h"
#include "quillo/ui/panel/search_field.h"
#include "quillo/ui/style/icons.h"
#include "quillo/ui/style/qt_key_event.h"

namespace quillo::ui {
namespace {

using Scope = app::SearchModel::Scope;
using Content = app::LauncherPresentation::Content;

constexpr int kWidth = 720;
constexpr int kHeaderHeight = 60;
constexpr int kFooterHeight = 30;

// A one-pixel line in the palette's separator tone.
class Separator : public QWidget {
 public:
  explicit Separator(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), palette().color(QPalette::Mid)); }
};

Scope previousScope(Scope scope) {
  switch (scope) {
    case Scope::menus:
      return Scope::files;
    case Scope::commands:
      return Scope::menus;
    case Scope::files:
      return Scope::commands;
  }
  return Scope::commands;
}

RowIcon scopeIcon(const app::SearchModel& model) {
  switch (model.scope()) {
    case Scope::menus:
      if (const auto& app = model.menuApp(); app && !app->bundleID.empty())
        return namedIcon(QString::fromStdString(app->bundleID));
      return bundledIcon(BundledIcon::menu);
    case Scope::commands:
      return bundledIcon(BundledIcon::action);
    case Scope::files:
      return bundledIcon(BundledIcon::folder);
  }
  return bundledIcon(BundledIcon::action);
}

}  // namespace

LauncherWindow::LauncherWindow(app::SearchModel& search, core::QuilloPreferences& preferences, Hooks hooks,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      search_(search),
      preferences_(preferences),
      hooks_(std::move(hooks)),
      accents_(hooks_.branding) {
  setWindowTitle("Quillo");
  setAccessibleName("Quillo");
  contentStack_ = new QStackedWidget(this);
  launcher_ = buildLauncher();
  contentStack_->addWidget(launcher_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(contentStack_);

  moveReport_.setSingleShot(true);
  moveReport_.setInterval(250);
  connect(&moveReport_, &QTimer::timeout, this, &LauncherWindow::reportMove);
  connect(&accents_, &ApplicationAccents::changed, this, &LauncherWindow::refreshScope);

  searchChanges_ = search_.observe([this] { refresh(); });
  refresh();
}

LauncherWindow::~LauncherWindow() = default;

QWidget* LauncherWindow::buildLauncher() {
  auto* page = new QWidget(this);

  auto* header = new QWidget(page);
  header->setFixedHeight(kHeaderHeight);
  scope_ = new ScopeChip(header);
  field_ = new SearchField(header);
  field_->setPlaceholderText("Search commands, menus and files");
  field_->setAccessibleName("Search");
  QFont large = font();
  large.setPointSizeF(font().pointSizeF() * 1.4);
  field_->setFont(large);
  field_->installEventFilter(this);
  connect(field_, &QLineEdit::textEdited, this,
          [this](const QString& text) { search_.setQuery(text.toStdString()); });
  auto* headerLayout = new QHBoxLayout(header);
  headerLayout->setContentsMargins(16, 0, 16, 0);
  headerLayout->setSpacing(8);
  headerLayout->addWidget(scope_);
  headerLayout->addSpacing(2);
  headerLayout->addWidget(field_, 1);

  body_ = new QStackedWidget(page);
  auto* results = new QWidget(body_);
  list_ = new ResultList(results);
  preview_ = new FilePreview(results);
  preview_->hide();
  auto* resultsLayout = new QHBoxLayout(results);
  resultsLayout->setContentsMargins(4, 0, 4, 0);
  resultsLayout->setSpacing(0);
  resultsLayout->addWidget(list_, 1);
  resultsLayout->addWidget(preview_);
  connect(list_, &ResultList::rowClicked, this, &LauncherWindow::runRow);

  feedback_ = new FeedbackView(body_);
  connect(feedback_, &FeedbackView::buttonClicked, this, &LauncherWindow::feedbackButtonClicked);
  message_ = new QLabel(body_);
  message_->setAlignment(Qt::AlignCenter);
  message_->setForegroundRole(QPalette::PlaceholderText);
  body_->addWidget(results);
  body_->addWidget(feedback_);
  body_->addWidget(message_);

  auto* footer = new QWidget(page);
  footer->setFixedHeight(kFooterHeight);
  footer_ = new QLabel(footer);
  footer_->setObjectName("serviceState");
  keysHint_ = new QLabel("Tab  Scope    \u2191\u2193  Select    \u21b5  Open", footer);
  QFont small = font();
  small.setPointSizeF(font().pointSizeF() * 0.85);
  for (QLabel* label : {footer_, keysHint_}) {
    label->setFont(small);
    label->setForegroundRole(QPalette::PlaceholderText);
  }
  auto* footerLayout = new QHBoxLayout(footer);
  footerLayout->setContentsMargins(16, 0, 16, 0);
  footerLayout->addWidget(footer_, 1);
  footerLayout->addWidget(keysHint_);

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(header);
  layout->addWidget(new Separator(page));
  layout->addWidget(body_, 1);
  layout->addWidget(new Separator(page));
  layout->addWidget(footer);
  setFocusProxy(field_);
  return page;
}

void LauncherWindow::setClipboardView(QWidget* view) {
  if (clipboard_) {
    contentStack_->removeWidget(clipboard_);
    clipboard_->deleteLater();
  }
  clipboard_ = view;
  if (view) contentStack_->addWidget(view);
  showContent(content_);
}

void LauncherWindow::showContent(Content content) {
  content_ = content;
  QWidget* page = content == Content::clipboard && clipboard_ ? clipboard_.data() : launcher_;
  contentStack_->setCurrentWidget(page);
  setFocusProxy(page == launcher_ ? static_cast<QWidget*>(field_) : page);
  if (isActiveWindow()) page == launcher_ ? field_->setFocus() : page->setFocus();
}

app::Size LauncherWindow::preferredSize() const {
  const int launcherHeight = kHeaderHeight + 1 + list_->sizeHint().height() + 1 + kFooterHeight + 2;
  if (content_ == Content::clipboard && clipboard_) {
    const QSize hint = clipboard_->sizeHint().expandedTo(QSize(kWidth, launcherHeight));
    return {double(hint.width()), double(hint.height())};
  }
  return {double(kWidth), double(launcherHeight)};
}

void LauncherWindow::refresh() {
  // The model may change the text itself (a row that needs a value puts its title there).
  const QString query = QString::fromStdString(search_.query());
  if (field_->text() != query && !field_->isComposing()) field_->setText(query);
  refreshScope();
  refreshBody();
  footer_->setText(serviceStateText(search_.ravo()));
}

void LauncherWindow::refreshScope() {
  const QString title = scopeTitle(search_);
  const RowIcon icon = scopeIcon(search_);
  scope_->setScope(icon, title);
  scope_->setAccent(scopeAccent(icon));
  field_->setPlaceholderText(search_.scope() == Scope::menus ? "Search the menus of " + title
                             : search_.scope() == Scope::files
                                 ? QString("Search file names")
                                 : QString("Search apps, settings and actions"));
}

std::optional<QColor> LauncherWindow::scopeAccent(const RowIcon& icon) {
  const auto& app = search_.menuApp();
  if (search_.scope() != Scope::menus || !app || app->bundleID.empty()) return std::nullopt;
  const bool dark = palette().color(QPalette::Window).lightness() < 128;
  return accents_.accent(QString::fromStdString(app->bundleID), icon, dark)
      .value_or(palette().color(QPalette::Highlight));
}

void LauncherWindow::refreshBody() {
  const auto& rows = search_.rows();
  std::vector<RowView> views;
  const bool showShortcuts = preferences_.showResultShortcuts();
  for (const core::ResultRow& row : rows)
    views.push_back(rowView(row, showShortcuts));
  if (search_.listsClipboardRow()) views.push_back(rowView(*search_.clipboardRow(), showShortcuts));
  const auto selected = search_.selectedRow();
  const int selection = selected ? int(search_.selection()) : -1;
  list_->setRows(std::move(views), selection);

  const bool previewing = selected && preview_->show(*selected);
  preview_->setVisible(previewing);

  shownFeedback_ = search_.launcherFeedback();
  const bool listsRows = list_->rowCount() > 0;
  const auto message = listsRows ? std::nullopt : search_.launcherMessage();
  if (!listsRows && shownFeedback_) {
    feedback_->setText(feedbackText(*shownFeedback_, search_));
    body_->setCurrentWidget(feedback_);
  } else if (message) {
    message_->setText(QString::fromStdString(*message));
    body_->setCurrentWidget(message_);
  } else {
    body_->setCurrentIndex(0);
  }
}

bool LauncherWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == static_cast<QObject*>(windowHandle()) && event->type() == QEvent::Expose) windowExposed();
  if (watched != field_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if (hooks_.routeKey && hooks_.routeKey(keyEventFrom(key), field_->state()) == app::Routing::consumed)
    return true;
  // An input method that is composing owns its keys.
  if (field_->isComposing()) return false;
  return handlePanelKey(key);
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
  // Keys that reach the window itself: the field did not have the focus, or left them.
  if (!handlePanelKey(*event)) QWidget::keyPressEvent(event);
}

bool LauncherWindow::handlePanelKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  const bool plain = modifiers == Qt::NoModifier;
  const bool control = modifiers == Qt::ControlModifier;
  if (content_ != Content::launcher) {
    if (event.key() != Qt::Key_Escape) return false;
  }
  switch (event.key()) {
    case Qt::Key_Escape:
      if (hooks_.dismissRequested) hooks_.dismissRequested();
      return true;
    case Qt::Key_Down:
      if (!plain) return false;
      search_.moveSelection(1);
      return true;
    case Qt::Key_Up:
      if (!plain) return false;
      search_.moveSelection(-1);
      return true;
    case Qt::Key_N:
    case Qt::Key_P:
      if (!control) return false;
      search_.moveSelection(event.key() == Qt::Key_N ? 1 : -1);
      return true;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
      if (!plain) return false;
      search_.moveSelection(event.key() == Qt::Key_PageDown ? 8 : -8);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      runSelected(!plain);
      return true;
    case Qt::Key_Tab:
      if (!plain) return false;
      search_.toggleScope();
      return true;
    case Qt::Key_Backtab:
      search_.changeScope(previousScope(search_.scope()));
      return true;
    default:
      return false;
  }
}

void LauncherWindow::runSelected(bool alternate) {
  if (const auto row = search_.selectedRow()) search_.run(*row, alternate);
}

void LauncherWindow::runRow(int index) {
  const std::size_t listed = search_.rows().size() + (search_.listsClipboardRow() ? 1 : 0);
  if (index < 0 || std::size_t(index) >= listed) return;
  search_.moveSelection(index - int(search_.selection()));
  runSelected(false);
}

void LauncherWindow::feedbackButtonClicked() {
  if (!shownFeedback_) return;
  switch (*shownFeedback_) {
    case app::LauncherFeedback::fileSearch:
    case app::LauncherFeedback::noMatches: {
      // Search the same text in the other scope.
      const std::string query = search_.query();
      search_.changeScope(search_.scope() == Scope::commands ? Scope::menus : Scope::commands);
      search_.setQuery(query);
      break;
    }
    case app::LauncherFeedback::permission:
    case app::LauncherFeedback::fileSetup:
    case app::LauncherFeedback::fileAccess:
      if (hooks_.feedbackAction) hooks_.feedbackAction(*shownFeedback_);
      break;
  }
  field_->setFocus();
}

void LauncherWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace quillo::ui

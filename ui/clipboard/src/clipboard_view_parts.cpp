#include "clipboard_view_parts.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillo::ui {
namespace {

// A one-pixel line in the palette's separator colour.
QWidget* separator(QWidget* parent) {
  auto* line = new QWidget(parent);
  line->setFixedHeight(1);
  line->setAutoFillBackground(true);
  line->setBackgroundRole(QPalette::Mid);
  return line;
}

}  // namespace

ClipboardViewParts::ClipboardViewParts(ClipboardView& view, app::ClipboardModel& model,
                                       ClipboardView::Hooks hooks)
    : view_(view),
      model_(model),
      hooks_(std::move(hooks)),
      previousOnChooseFolder_(model.onChooseFolder),
      searchField_(new ClipboardSearchField(
          {.routeKey = hooks_.routeKey, .nextFilter = [&model] { model.nextFilter(); }}, &view)),
      actionsButton_(new QToolButton(&view)),
      actionsMenu_(new QMenu(&view)),
      contextMenu_(new QMenu(&view)),
      filters_(new ClipboardFilterBar(
          [&model](clipboard::ClipboardFilter filter) { model.setFilter(filter); }, &view)),
      recordingNotice_(new ClipboardNotice(hooks_.turnOnRecording, {}, &view)),
      body_(new QStackedWidget(&view)),
      list_(new ClipboardList(
          rows_,
          {
              .focus = [&model](const base::Uuid& id) { model.focus(id); },
              .toggleSelection = [&model](const base::Uuid& id) { model.toggleSelection(id); },
              .performPrimary = [&model](const base::Uuid&) { model.performPrimary(); },
              .showMenu = [this](const base::Uuid& id, const QPoint& at) { showMenu(id, at); },
              .reachedEnd = [&model] { model.loadMore(); },
              .commitRename = [&model](const QString& title) { model.commitRename(title.toStdString()); },
              .cancelRename = [&model] { model.cancelRename(); },
              .painted = [this] { painted(); },
          },
          body_)),
      placeholder_(new ClipboardNotice(
          {}, [this] { painted(); }, body_)),
      preview_(new ClipboardPreview(&view)),
      status_(new QLabel(&view)) {
  searchField_->setObjectName(QStringLiteral("search"));
  list_->setObjectName(QStringLiteral("list"));
  list_->renameEditor().setObjectName(QStringLiteral("rename"));
  placeholder_->setObjectName(QStringLiteral("placeholder"));
  recordingNotice_->setObjectName(QStringLiteral("recording"));
  preview_->setObjectName(QStringLiteral("preview"));
  status_->setObjectName(QStringLiteral("status"));
  actionsButton_->setObjectName(QStringLiteral("actions"));
  auto* layout = new QVBoxLayout(&view);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);

  auto* top = new QHBoxLayout();
  top->setContentsMargins(12, 10, 12, 0);
  QFont large = searchField_->font();
  large.setPointSizeF(large.pointSizeF() * 1.3);
  searchField_->setFont(large);
  top->addWidget(searchField_, 1);
  actionsButton_->setText(QStringLiteral("Actions"));
  actionsButton_->setAccessibleName(QStringLiteral("Actions"));
  actionsButton_->setPopupMode(QToolButton::InstantPopup);
  actionsButton_->setMenu(actionsMenu_);
  actionsButton_->setAutoRaise(true);
  actionsButton_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(actionsMenu_, &QMenu::aboutToShow, actionsMenu_,
                   [this] { fillActionMenu(*actionsMenu_, model_); });
  top->addWidget(actionsButton_);
  layout->addLayout(top);
  layout->addWidget(separator(&view));
  layout->addWidget(filters_);
  layout->addWidget(recordingNotice_);

  auto* middle = new QHBoxLayout();
  middle->setContentsMargins(4, 0, 4, 0);
  body_->addWidget(list_);
  body_->addWidget(placeholder_);
  middle->addWidget(body_, 3);
  middle->addWidget(preview_, 2);
  layout->addLayout(middle, 1);

  layout->addWidget(separator(&view));
  status_->setContentsMargins(12, 0, 12, 8);
  status_->setForegroundRole(QPalette::PlaceholderText);
  status_->setWordWrap(true);
  status_->setAccessibleName(QStringLiteral("Status"));
  layout->addWidget(status_);

  QObject::connect(searchField_, &QLineEdit::textChanged, &view,
                   [&model](const QString& text) { model.setQuery(text.toStdString()); });
  modelChanges_ = model.observe([this] { sync(); });
  model.onChooseFolder = [this] { chooseFolder(); };
}

ClipboardViewParts::~ClipboardViewParts() {
  model_.onChooseFolder = previousOnChooseFolder_;
}

void ClipboardViewParts::sync() {
  const auto& state = model_.state();
  if (const QString query = QString::fromStdString(state.query); searchField_->text() != query) {
    const QSignalBlocker quiet(searchField_);
    searchField_->setText(query);
  }
  filters_->update(state.filter);
  recordingNotice_->update(model_.recordingNotice());

  rows_.update(model_, now());
  const auto placeholder = shownPlaceholder();
  placeholder_->update(placeholder);
  body_->setCurrentWidget(placeholder ? static_cast<QWidget*>(placeholder_) : list_);
  if (state.focusedID) list_->reveal(*state.focusedID);
  list_->viewport()->update();

  const bool wasRenaming = list_->renameEditor().hasFocus();
  list_->showRename(state.isRenaming ? state.renameID : std::nullopt,
                    QString::fromStdString(state.renameTitle));
  if (wasRenaming && !state.isRenaming) searchField_->setFocus(Qt::OtherFocusReason);

  preview_->update(state);
  status_->setText(statusText());
}

std::optional<app::ClipboardPlaceholder> ClipboardViewParts::shownPlaceholder() const {
  auto placeholder = model_.placeholder();
  const auto& state = model_.state();
  // An empty Pinned filter says how to pin rather than that nothing matches an empty query.
  if (placeholder && state.isReady && state.totalCount > 0 && state.query.empty() &&
      state.filter == clipboard::ClipboardFilter::pinned)
    return app::ClipboardPlaceholder{"No pinned items",
                                     "Pin an item with Ctrl+P. Pinned items stay until you delete them."};
  return placeholder;
}

QString ClipboardViewParts::statusText() const {
  const auto& state = model_.state();
  if (state.status) return QString::fromStdString(*state.status);
  if (state.isBusy) return QStringLiteral("Working…");
  if (const std::string note = model_.selectionNote(); !note.empty()) return QString::fromStdString(note);
  if (!state.isReady || state.totalCount == 0) return {};
  const auto shown = state.entries.size();
  const QString count = shown == state.totalCount
                            ? QStringLiteral("%1 items").arg(shown)
                            : QStringLiteral("%1 of %2 items").arg(shown).arg(state.totalCount);
  QString primary = QStringLiteral("Enter copies");
  if (state.mode == app::ClipboardModel::Mode::paste)
    primary = state.target && !state.target->name.empty()
                  ? QStringLiteral("Enter pastes into %1").arg(QString::fromStdString(state.target->name))
                  : QStringLiteral("Enter pastes");
  return QStringList{count, primary, QStringLiteral("Ctrl+click adds to the selection")}.join(
      QStringLiteral(" · "));
}

void ClipboardViewParts::showMenu(const base::Uuid& id, const QPoint& at) {
  const auto& selection = model_.state().selection;
  // A row outside the selection becomes the one the menu acts on.
  if (std::find(selection.begin(), selection.end(), id) == selection.end()) model_.focus(id);
  fillActionMenu(*contextMenu_, model_);
  contextMenu_->popup(at);
}

void ClipboardViewParts::chooseFolder() {
  if (folderDialog_) return folderDialog_->raise();
  auto* dialog =
      new QFileDialog(&view_, QString::fromStdString(model_.title(app::ClipboardAction::saveImage)));
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Save Images Here"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QFileDialog::fileSelected, &view_,
                   [this](const QString& folder) { model_.saveSelection(folder.toStdString()); });
  folderDialog_ = dialog;
  dialog->open();
}

base::Date ClipboardViewParts::now() const {
  if (hooks_.now) return hooks_.now();
  return base::Date{static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0};
}

void ClipboardViewParts::painted() const {
  if (hooks_.painted) hooks_.painted();
}

}  // namespace quillo::ui

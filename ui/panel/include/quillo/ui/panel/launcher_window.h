#pragma once

#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "quillo/app/search_model.h"
#include "quillo/app/shell/launcher_panel_view.h"
#include "quillo/app/shell/launcher_presentation.h"
#include "quillo/app/shell/launcher_routing.h"
#include "quillo/base/observers.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/ui/panel/application_accents.h"

class QAbstractAnimation;

namespace quillo::ui {

class FeedbackView;
class FilePreview;
class ResultList;
class ScopeChip;
class SearchField;

// The launcher panel: a frameless floating window without a taskbar entry that takes the keyboard
// when shown. One search field, the scope it searches, up to eight rows with the selection, a file
// preview beside a selected file, the feedback views in place of an empty list, and a footer with
// the ranking service's state; or, in the same window, the clipboard history. Every key typed in
// the field goes first to the owner's routing; what it leaves, the panel handles (arrows, Return,
// Tab, Escape) or the field edits. The window observes the search model while it exists. Main
// thread only.
class LauncherWindow : public QWidget, public app::LauncherPanelView {
  Q_OBJECT

 public:
  struct Hooks {
    // The owner's key routing; a missing one routes nothing.
    std::function<app::Routing(const app::KeyEvent&, const app::SearchFieldState&)> routeKey{};
    // The user moved the panel to this frame.
    std::function<void(const platform::Rect&)> moved{};
    // The panel stopped being the active window (the user clicked elsewhere).
    std::function<void()> resignedKey{};
    // Escape: the owner hides the panel.
    std::function<void()> dismissRequested{};
    // The panel's new content has been painted.
    std::function<void()> painted{};
    // A feedback view's button that needs the rest of the program: accessibility access
    // (permission), choosing search folders (fileSetup), reviewing them (fileAccess).
    std::function<void(app::LauncherFeedback)> feedbackAction{};
    // An application's AppStream branding by its desktop-file id, for the front application's
    // accent; called on a worker thread. None when empty.
    ApplicationAccents::BrandingLookup branding{};
  };

  LauncherWindow(app::SearchModel& search, core::QuilloPreferences& preferences, Hooks hooks,
                 QWidget* parent = nullptr);
  ~LauncherWindow() override;

  // The clipboard history content, shown in place of the launcher's; the window takes it.
  void setClipboardView(QWidget* view);
  void showContent(app::LauncherPresentation::Content content);
  app::LauncherPresentation::Content content() const { return content_; }
  // The panel's size for its current content.
  app::Size preferredSize() const;

  // Shows the model's state again; the model's observer calls it on every change.
  void refresh();

  bool isVisible() const override;
  void present(const platform::Rect& frame, const app::PanelTransition& transition,
               const std::optional<std::string>& activationToken) override;
  void dismiss(const app::PanelTransition& transition, std::function<void()> completion) override;

  SearchField* searchField() const { return field_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* buildLauncher();
  // Keys the panel itself acts on once the routing left them; true when it did.
  bool handlePanelKey(const QKeyEvent& event);
  void runSelected(bool alternate);
  void runRow(int index);
  void feedbackButtonClicked();
  void refreshScope();
  // The front application's accent while the scope is its menus; none for the other scopes.
  std::optional<QColor> scopeAccent(const RowIcon& icon);
  void refreshBody();
  void stopAnimation();
  void reportMove();
  // The window manager mapped the window: now it can be activated.
  void windowExposed();

  app::SearchModel& search_;
  core::QuilloPreferences& preferences_;
  Hooks hooks_;
  app::LauncherPresentation::Content content_ = app::LauncherPresentation::Content::launcher;

  QStackedWidget* contentStack_ = nullptr;
  QWidget* launcher_ = nullptr;
  QPointer<QWidget> clipboard_;
  ScopeChip* scope_ = nullptr;
  ApplicationAccents accents_;
  SearchField* field_ = nullptr;
  QStackedWidget* body_ = nullptr;
  ResultList* list_ = nullptr;
  FilePreview* preview_ = nullptr;
  FeedbackView* feedback_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* footer_ = nullptr;
  QLabel* keysHint_ = nullptr;

  std::optional<app::LauncherFeedback> shownFeedback_;
  QPointer<QAbstractAnimation> animation_;
  // Moves the program makes itself are not the user's.
  bool placing_ = false;
  // Where the panel was put or last reported: the window manager confirms a placement with moves
  // to the same place, which are not the user's.
  QPoint placed_;
  bool dismissing_ = false;
  bool activationPending_ = false;
  QTimer moveReport_;
  base::Observers::Token searchChanges_;
};

}  // namespace quillo::ui

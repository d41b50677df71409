// Showing, hiding and moving the panel, and telling the owner when it lost the keyboard.
#include <QEasingCurve>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QWindow>

#include "quillo/ui/panel/launcher_window.h"
#include "quillo/ui/panel/search_field.h"
#include "x11_panel_window.h"

namespace quillo::ui {
namespace {

bool onX11() {
  return QGuiApplication::platformName() == "xcb";
}

bool onWayland() {
  return QGuiApplication::platformName().startsWith("wayland");
}

// A Wayland compositor keeps a window's opacity and position to itself (and animates windows in
// its own way): there the panel neither fades nor slides.
bool animatesItself() {
  return !onWayland();
}

QRect qrect(const platform::Rect& frame) {
  return QRect(qRound(frame.origin.x), qRound(frame.origin.y), qRound(frame.size.width),
               qRound(frame.size.height));
}

}  // namespace

bool LauncherWindow::isVisible() const {
  return QWidget::isVisible();
}

void LauncherWindow::present(const platform::Rect& frame, const app::PanelTransition& transition,
                             const std::optional<std::string>& activationToken) {
  stopAnimation();
  dismissing_ = false;
  const QRect target = qrect(frame);
  const bool appearing = !QWidget::isVisible();
  const bool fades = appearing && transition.duration.count() > 0 && animatesItself();
  const int slide = fades ? qRound(transition.slide) : 0;

  placing_ = true;
  placed_ = target.topLeft();
  // Wayland has no window types: a tiling compositor floats a window only when its size is fixed,
  // and would otherwise tile the panel beside the other windows.
  if (onWayland()) setFixedSize(target.size());
  setGeometry(target.translated(0, -slide));
  if (fades) setWindowOpacity(0);
  if (appearing) {
    create();
    keepOutOfTaskbar(*this);
    if (activationToken) {
      // Wayland's activation reads the token from the environment when the window asks for focus.
      if (onWayland()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(*activationToken));
      if (onX11()) setStartupToken(*this, *activationToken);
    }
    windowHandle()->installEventFilter(this);
    activationPending_ = true;
  }
  show();
  raise();
  activateWindow();
  showContent(content_);
  if (content_ == app::LauncherPresentation::Content::launcher) field_->setFocus(Qt::ActiveWindowFocusReason);
  placing_ = false;

  if (!fades) return;
  auto* group = new QParallelAnimationGroup(this);
  auto* opacity = new QPropertyAnimation(this, "windowOpacity", group);
  opacity->setDuration(int(transition.duration.count()));
  opacity->setStartValue(0.0);
  opacity->setEndValue(1.0);
  opacity->setEasingCurve(QEasingCurve::OutCubic);
  group->addAnimation(opacity);
  if (slide != 0) {
    auto* position = new QPropertyAnimation(this, "pos", group);
    position->setDuration(int(transition.duration.count()));
    position->setStartValue(target.topLeft() - QPoint(0, slide));
    position->setEndValue(target.topLeft());
    position->setEasingCurve(QEasingCurve::OutCubic);
    group->addAnimation(position);
  }
  animation_ = group;
  group->start(QAbstractAnimation::DeleteWhenStopped);
}

void LauncherWindow::dismiss(const app::PanelTransition& transition, std::function<void()> completion) {
  stopAnimation();
  auto finish = [this, completion = std::move(completion)] {
    hide();
    if (animatesItself()) setWindowOpacity(1.0);
    dismissing_ = false;
    if (completion) completion();
  };
  if (!QWidget::isVisible() || transition.duration.count() <= 0 || !animatesItself()) {
    dismissing_ = true;
    finish();
    return;
  }
  dismissing_ = true;
  const int slide = qRound(transition.slide);
  auto* group = new QParallelAnimationGroup(this);
  auto* opacity = new QPropertyAnimation(this, "windowOpacity", group);
  opacity->setDuration(int(transition.duration.count()));
  opacity->setStartValue(windowOpacity());
  opacity->setEndValue(0.0);
  opacity->setEasingCurve(QEasingCurve::InCubic);
  group->addAnimation(opacity);
  if (slide != 0) {
    auto* position = new QPropertyAnimation(this, "pos", group);
    position->setDuration(int(transition.duration.count()));
    position->setStartValue(pos());
    position->setEndValue(pos() - QPoint(0, slide));
    group->addAnimation(position);
  }
  const QPoint restingPlace = pos();
  connect(group, &QAbstractAnimation::finished, this, [this, finish, restingPlace] {
    placing_ = true;
    move(restingPlace);
    placing_ = false;
    finish();
  });
  animation_ = group;
  group->start(QAbstractAnimation::DeleteWhenStopped);
}

void LauncherWindow::windowExposed() {
  if (!activationPending_ || !windowHandle()->isExposed()) return;
  activationPending_ = false;
  if (!onX11()) return;
  keepOutOfTaskbar(*this);
  activateMappedWindow(*this);
}

void LauncherWindow::stopAnimation() {
  if (animation_) {
    // Stopping an animation deletes it; its end state is not applied.
    animation_->stop();
    animation_ = nullptr;
  }
  if (animatesItself()) setWindowOpacity(1.0);
}

bool LauncherWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // An update request paints the whole window synchronously: once it returns, the new content is
  // on screen.
  if (event->type() == QEvent::UpdateRequest && hooks_.painted) hooks_.painted();
  return handled;
}

void LauncherWindow::mousePressEvent(QMouseEvent* event) {
  // The panel has no title bar: its background drags it.
  if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void LauncherWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!placing_ && !animation_ && QWidget::isVisible() && pos() != placed_) moveReport_.start();
}

void LauncherWindow::reportMove() {
  const QRect frame = geometry();
  if (!hooks_.moved || !QWidget::isVisible() || frame.topLeft() == placed_) return;
  placed_ = frame.topLeft();
  hooks_.moved({{double(frame.x()), double(frame.y())}, {double(frame.width()), double(frame.height())}});
}

void LauncherWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // The desktop switched between light and dark: the icons drawn in the text colour follow.
  if (event->type() == QEvent::PaletteChange) refresh();
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && QWidget::isVisible() &&
      !dismissing_ && hooks_.resignedKey)
    hooks_.resignedKey();
}

}  // namespace quillo::ui

#include "quillo/ui/effects/welcome_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include "key_caps.h"
#include "quillo/ui/effects/glow.h"
#include "window_system.h"

namespace quillo::ui {
namespace {

// Room around the card for its light, where a compositor blends it with the desktop.
constexpr int glowMargin = 28;
constexpr int cardPadding = 28;
constexpr double cardRadius = 14;

GlowLook steadyLook() {
  return GlowLook{.opacity = 0.9, .spread = 16, .width = 2, .radius = cardRadius};
}

QWidget* shortcutView(const std::string& label, QWidget* parent) {
  if (label.empty()) {
    auto* none = new QLabel(QObject::tr("Not set"), parent);
    none->setForegroundRole(QPalette::PlaceholderText);
    return none;
  }
  return new KeyCaps(QString::fromStdString(label), parent);
}

QLabel* paragraph(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

WelcomeWindow::WelcomeWindow(const WelcomeShortcuts& shortcuts, WelcomeHooks hooks,
                             std::function<bool()> animationsOff)
    : hooks_(std::move(hooks)), animationsOff_(std::move(animationsOff)) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  setWindowTitle(tr("Welcome to Quillo"));
  setAccessibleName(tr("Welcome to Quillo"));

  auto* title = new QLabel(tr("Welcome to Quillo"), this);
  QFont titleFont = font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setWeight(QFont::DemiBold);
  title->setFont(titleFont);

  auto* keys = new QGridLayout;
  keys->setHorizontalSpacing(24);
  keys->setVerticalSpacing(10);
  keys->addWidget(new QLabel(tr("Open Quillo"), this), 0, 0);
  keys->addWidget(shortcutView(shortcuts.launcher, this), 0, 1, Qt::AlignLeft);
  keys->addWidget(new QLabel(tr("Clipboard history"), this), 1, 0);
  keys->addWidget(shortcutView(shortcuts.clipboard, this), 1, 1, Qt::AlignLeft);
  keys->setColumnStretch(1, 1);

  settings_ = new QPushButton(tr("Open Settings…"), this);
  settings_->setObjectName(QStringLiteral("openSettings"));
  close_ = new QPushButton(tr("Close"), this);
  close_->setObjectName(QStringLiteral("close"));
  close_->setDefault(true);
  connect(settings_, &QPushButton::clicked, this, [this] {
    if (hooks_.openSettings) hooks_.openSettings();
    close();
  });
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(settings_);
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(14);
  layout->addWidget(title);
  layout->addWidget(
      paragraph(tr("Quillo opens a search panel from anywhere. Type a few letters and press Enter "
                   "to start an application, run an action or a menu command, find a file or "
                   "search the web."),
                this));
  layout->addWidget(
      paragraph(tr("It also remembers what you copy, so that you can find it and paste it again."), this));
  layout->addSpacing(4);
  layout->addLayout(keys);
  auto* hint = paragraph(tr("You can change both shortcuts in Settings."), this);
  hint->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(hint);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  setFixedWidth(520);

  frames_.setInterval(16);
  connect(&frames_, &QTimer::timeout, this, [this] {
    if (since_.elapsed() >= glowSettleTime.count()) frames_.stop();
    update();
  });
}

void WelcomeWindow::present() {
  composited_ = desktopComposites();
  reduceMotion_ = animationsOff_ && animationsOff_();
  const int margin = (composited_ ? glowMargin : 0) + cardPadding;
  layout()->setContentsMargins(margin, margin, margin, margin);
  setFixedWidth(520 + 2 * (composited_ ? glowMargin : 0));
  adjustSize();
  QRect frame(QPoint(0, 0), size());
  frame.moveCenter(availableAreaUnderPointer().center());
  setGeometry(frame);
  since_.start();
  frames_.start();
  show();
  raise();
  activateWindow();
  close_->setFocus();
}

QRectF WelcomeWindow::cardRect() const {
  const double inset = composited_ ? glowMargin : 0;
  return QRectF(rect()).adjusted(inset, inset, -inset, -inset);
}

void WelcomeWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const auto elapsed =
      std::chrono::milliseconds(since_.isValid() ? since_.elapsed() : glowSettleTime.count());
  const GlowLook look = glowAt(elapsed, reduceMotion_, steadyLook());
  const QColor accent = palette().color(QPalette::Highlight);
  const QRectF card = cardRect();
  if (composited_) {
    // The light lies under the card, so that only its outer half shows around it.
    paintGlowRing(painter, card, accent, look);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cardRadius, cardRadius);
    return;
  }
  // Nothing blends the window: the card fills it and the glow runs just inside its edge.
  painter.fillRect(card, palette().color(QPalette::Window));
  const double half = solidRingWidth(look) / 2;
  GlowLook inner = look;
  inner.radius = 6;
  paintSolidRing(painter, card.adjusted(half, half, -half, -half), accent, inner);
}

void WelcomeWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  // Enter presses the focused button, as in a dialog; "Close" when none has the focus.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    (focused ? focused : close_)->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void WelcomeWindow::mousePressEvent(QMouseEvent* event) {
  // The card has no title bar: dragging it anywhere moves it.
  if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) return;
  QWidget::mousePressEvent(event);
}

void WelcomeWindow::closeEvent(QCloseEvent* event) {
  frames_.stop();
  QWidget::closeEvent(event);
  if (closedOnce_) return;
  closedOnce_ = true;
  if (hooks_.closed) hooks_.closed();
}

}  // namespace quillo::ui

#pragma once

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace quillo::ui {

// The two shortcuts as the user reads them on this desktop ("Super+Space"); empty when not set.
struct WelcomeShortcuts {
  std::string launcher;
  std::string clipboard;
};

struct WelcomeHooks {
  // The user asked for the settings window; the welcome closes after it.
  std::function<void()> openSettings{};
  // The welcome closed, however it was closed. Called once.
  std::function<void()> closed{};
};

// The first-run welcome: what Quillo does, its two shortcuts as key caps, a button that opens
// the settings and one that closes it, on a card with a soft glow in the accent colour around
// it (inside its edge where nothing composites windows). Escape closes it; Enter presses the focused
// button. Main thread only.
class WelcomeWindow : public QWidget {
 public:
  // `animationsOff` answers whether the desktop turned its animations off.
  WelcomeWindow(const WelcomeShortcuts& shortcuts, WelcomeHooks hooks, std::function<bool()> animationsOff);

  // Shows the welcome centred on the display under the pointer, and gives it the focus.
  void present();

  QPushButton& settingsButton() { return *settings_; }
  QPushButton& closeButton() { return *close_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QRectF cardRect() const;

  WelcomeHooks hooks_;
  std::function<bool()> animationsOff_;
  bool reduceMotion_ = false;
  bool composited_ = true;
  bool closedOnce_ = false;
  QPushButton* settings_ = nullptr;
  QPushButton* close_ = nullptr;
  QElapsedTimer since_;
  QTimer frames_;
};

}  // namespace quillo::ui

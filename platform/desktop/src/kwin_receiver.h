#pragma once

#include <QObject>
#include <QString>
#include <functional>

// The object on this program's session-bus connection that the compositor's script calls.
// Private to the KWin front application.
namespace quillo::platform::desktop::kwin {

class Receiver final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "dev.tarnwick.Quillo.FrontApplication")

 public:
  // `activated` gets the process (as the script's text), window class and desktop-file name of the
  // window activated; `deactivated` runs when no window is active.
  Receiver(std::function<void(const QString&, const QString&, const QString&)> activated,
           std::function<void()> deactivated)
      : activated_(std::move(activated)), deactivated_(std::move(deactivated)) {}

 public Q_SLOTS:
  Q_SCRIPTABLE void Activated(const QString& pid, const QString& resourceClass,
                              const QString& desktopFileName) {
    activated_(pid, resourceClass, desktopFileName);
  }
  Q_SCRIPTABLE void Deactivated() { deactivated_(); }

 private:
  std::function<void(const QString&, const QString&, const QString&)> activated_;
  std::function<void()> deactivated_;
};

}  // namespace quillo::platform::desktop::kwin

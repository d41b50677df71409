#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QThread>
#include <functional>
#include <optional>

#include "atspi_bus.h"

// Which window of the accessibility bus is active, followed on a thread of its own. Private to
// the AT-SPI implementation.
namespace quillo::platform::desktop::atspi {

class ActivationTracker final : public QObject {
  Q_OBJECT

 public:
  // `changed` runs on the tracker's thread with the application (its bus name) whose window became
  // active, or none when no window is active any more or it cannot be told which one is.
  ActivationTracker(const Bus& bus, int timeoutMilliseconds,
                    std::function<void(const std::optional<QString>& service)> changed);
  ~ActivationTracker() override;
  ActivationTracker(const ActivationTracker&) = delete;
  ActivationTracker& operator=(const ActivationTracker&) = delete;

 private Q_SLOTS:
  // Reports the window the applications' states mark active while no activation was announced.
  void lookForActiveWindow();
  void onEvent(const QDBusMessage& message);
  void onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

 private:
  // The active window as the applications' states say: one application's window marked active;
  // none when none is, or windows of two applications are.
  std::optional<ObjectRef> findActiveWindow();
  void activate(const ObjectRef& window);
  void deactivate(const ObjectRef& window);

  const Bus& bus_;
  int timeout_;
  std::function<void(const std::optional<QString>&)> changed_;
  std::optional<ObjectRef> active_;  // the tracker thread's
  QThread thread_;
};

}  // namespace quillo::platform::desktop::atspi

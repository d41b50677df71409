#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QThread>
#include <functional>

// Change events of the accessibility bus, heard on a thread of their own. Private to the AT-SPI
// implementation.
namespace quillo::platform::desktop::atspi {

class Bus;

// Calls `changed` with the bus name of every application that reports a change to its elements
// (children, properties, states, windows). Asks the registry to have applications send those
// events, which toolkits only send while someone listens.
class ChangeListener final : public QObject {
  Q_OBJECT

 public:
  ChangeListener(const Bus& bus, std::function<void(const QString& service)> changed);
  ~ChangeListener() override;

 private Q_SLOTS:
  void onEvent(const QDBusMessage& message);

 private:
  std::function<void(const QString&)> changed_;
  QThread thread_;
};

}  // namespace quillo::platform::desktop::atspi

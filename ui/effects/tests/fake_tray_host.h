#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

namespace quillo::ui {

// The desktop's tray as the session bus shows it: the StatusNotifierItem watcher with a host
// registered, which records the items that register with it.
class FakeTrayHost : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

 public:
  ~FakeTrayHost() override {
    if (!started_) return;
    QDBusConnection::sessionBus().unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
  }

  // False when the bus has another watcher.
  bool start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    started_ =
        bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")) &&
        bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                           QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties |
                               QDBusConnection::ExportScriptableSignals);
    return started_;
  }

  bool hostRegistered() const { return true; }
  int protocolVersion() const { return 0; }
  // The bus names of the registered items.
  QStringList items() const { return items_; }

 public slots:
  Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    // Items name themselves by bus name or, some of them, by object path on their connection.
    items_ << (service.startsWith(QLatin1Char('/')) ? message.service() : service);
  }
  Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString&) {}

 private:
  bool started_ = false;
  QStringList items_;
};

}  // namespace quillo::ui

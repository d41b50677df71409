#include "tray_availability.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariant>

namespace quillo::ui {

bool statusNotifierHostRegistered() {
  const QString service = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service).value()) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierWatcher"),
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << service << QStringLiteral("IsStatusNotifierHostRegistered");
  // A watcher that hangs must not hold up the caller (diagnostics, start-up) for long.
  const QDBusMessage reply = bus.call(get, QDBus::Block, 500);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toBool();
}

}  // namespace quillo::ui

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <utility>

namespace quillo::testing {

// What every fake desktop portal shares: it lives on a bus connection of its own and answers a
// request, as the desktop does, with a Response signal on the request's path after the call
// returned.
class FakePortal : public QObject {
 public:
  explicit FakePortal(QDBusConnection bus) : bus_(std::move(bus)) {}

 protected:
  // The caller's unique bus name as a portal writes it into object paths (":1.42" is "1_42").
  static QString sender(const QDBusMessage& message) { return message.service().mid(1).replace('.', '_'); }
  static QString requestPath(const QDBusMessage& message, const QVariantMap& options) {
    return "/org/freedesktop/portal/desktop/request/" + sender(message) + "/" +
           options.value("handle_token").toString();
  }
  // `response` 0 is success, 1 the user's refusal.
  void respond(const QString& path, const QVariantMap& results, uint response = 0) {
    QTimer::singleShot(0, this, [this, path, response, results] {
      auto message = QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
      message << response << results;
      bus_.send(message);
    });
  }

  QDBusConnection bus_;
};

}  // namespace quillo::testing

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>
#include <mutex>
#include <string>
#include <vector>

#include "quillo/testing/fake_portal.h"

namespace quillo::testing {

// The desktop's side of the RemoteDesktop portal, on a bus connection of its own: requests are
// answered by a Response signal on the request's path, the user's consent is `consent`, and every
// call is recorded.
class FakeRemoteDesktop : public FakePortal {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
  Q_PROPERTY(uint version READ version)

 public:
  using FakePortal::FakePortal;
  uint version() const { return 2; }
  bool consent = true;

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  QVariantMap selectOptions() {
    std::lock_guard lock(mutex_);
    return selectOptions_;
  }

 public Q_SLOTS:
  QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
    record("CreateSession");
    const auto request = requestPath(message, options);
    respond(request,
            {{"session_handle", "/org/freedesktop/portal/desktop/session/" + sender(message) + "/paste"}});
    return QDBusObjectPath(request);
  }
  QDBusObjectPath SelectDevices(const QDBusObjectPath&, const QVariantMap& options,
                                const QDBusMessage& message) {
    {
      std::lock_guard lock(mutex_);
      calls_.push_back("SelectDevices");
      selectOptions_ = options;
    }
    const auto request = requestPath(message, options);
    respond(request, {});
    return QDBusObjectPath(request);
  }
  QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options,
                        const QDBusMessage& message) {
    record("Start");
    const auto request = requestPath(message, options);
    if (consent)
      respond(request, {{"devices", uint(1)}, {"restore_token", QStringLiteral("consent-kept")}});
    else
      respond(request, {}, 1);
    return QDBusObjectPath(request);
  }
  void NotifyKeyboardKeycode(const QDBusObjectPath&, const QVariantMap&, int keycode, uint state) {
    record("keycode " + std::to_string(keycode) + (state ? " down" : " up"));
  }
  void NotifyKeyboardKeysym(const QDBusObjectPath&, const QVariantMap&, int keysym, uint state) {
    record("keysym " + std::string(1, static_cast<char>(keysym)) + (state ? " down" : " up"));
  }

 private:
  void record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  std::mutex mutex_;
  std::vector<std::string> calls_;
  QVariantMap selectOptions_;
};

// The portal served on the session bus from a thread of its own, as the desktop's process would,
// for as long as this lives. Needs a Qt application.
class RemoteDesktopOnBus {
 public:
  RemoteDesktopOnBus() {
    portal.moveToThread(&thread_);
    thread_.start();
    registered =
        bus_.registerObject("/org/freedesktop/portal/desktop", &portal,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
        bus_.registerService("org.freedesktop.portal.Desktop");
  }
  ~RemoteDesktopOnBus() {
    bus_.unregisterService("org.freedesktop.portal.Desktop");
    bus_.unregisterObject("/org/freedesktop/portal/desktop");
    thread_.quit();
    thread_.wait();
    QDBusConnection::disconnectFromBus("desktop");
  }
  RemoteDesktopOnBus(const RemoteDesktopOnBus&) = delete;
  RemoteDesktopOnBus& operator=(const RemoteDesktopOnBus&) = delete;

 private:
  QDBusConnection bus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
  QThread thread_;

 public:
  FakeRemoteDesktop portal{bus_};
  bool registered = false;
};

}  // namespace quillo::testing

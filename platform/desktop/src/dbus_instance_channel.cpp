#include "quillo/platform/desktop/dbus_instance_channel.h"

#include <gio/gio.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>

namespace quillo::platform::desktop {

// The object on the bus. Its slots are the methods later starts call.
class DBusInstanceChannel::Adaptor : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "dev.tarnwick.Quillo")

 public:
  explicit Adaptor(Receiver receiver) : receiver_(std::move(receiver)) {}

 public Q_SLOTS:
  void Show(const QString& token) { deliver(InstanceRequest::Kind::show, std::nullopt, token); }
  void ShowClipboard(const QString& token) { deliver(InstanceRequest::Kind::clipboard, std::nullopt, token); }
  void Toggle(const QString& token) { deliver(InstanceRequest::Kind::toggle, std::nullopt, token); }
  void ShowSettings(const QString& token) { deliver(InstanceRequest::Kind::settings, std::nullopt, token); }
  void Query(const QString& text, const QString& token) {
    deliver(InstanceRequest::Kind::query, text.toStdString(), token);
  }

 private:
  void deliver(InstanceRequest::Kind kind, std::optional<std::string> query, const QString& token) {
    InstanceRequest request{kind, std::move(query), std::nullopt};
    if (!token.isEmpty()) request.activationToken = token.toStdString();
    receiver_(request);
  }

  Receiver receiver_;
};

DBusInstanceChannel::DBusInstanceChannel() = default;

DBusInstanceChannel::~DBusInstanceChannel() {
  if (!adaptor_) return;
  auto bus = QDBusConnection::sessionBus();
  bus.unregisterObject(objectPath);
  bus.unregisterService(serviceName);
}

bool DBusInstanceChannel::claim(Receiver receiver) {
  auto bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  auto adaptor = std::make_unique<Adaptor>(std::move(receiver));
  if (!bus.registerObject(objectPath, adaptor.get(), QDBusConnection::ExportAllSlots)) return false;
  // Without queueing: a second instance is told at once that the name is taken.
  const auto reply = bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    bus.unregisterObject(objectPath);
    return false;
  }
  adaptor_ = std::move(adaptor);
  return true;
}

bool DBusInstanceChannel::forward(const InstanceRequest& request) {
  return forwardToRunningInstance(request);
}

bool forwardToRunningInstance(const InstanceRequest& request) {
  using Bus = std::unique_ptr<GDBusConnection, decltype(&g_object_unref)>;
  using Reply = std::unique_ptr<GVariant, decltype(&g_variant_unref)>;
  Bus bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr), &g_object_unref);
  if (!bus) return false;
  const char* token = request.activationToken ? request.activationToken->c_str() : "";
  const char* method = "Show";
  GVariant* parameters = nullptr;  // floating: the call takes it
  switch (request.kind) {
    case InstanceRequest::Kind::show:
      parameters = g_variant_new("(s)", token);
      break;
    case InstanceRequest::Kind::clipboard:
      method = "ShowClipboard";
      parameters = g_variant_new("(s)", token);
      break;
    case InstanceRequest::Kind::toggle:
      method = "Toggle";
      parameters = g_variant_new("(s)", token);
      break;
    case InstanceRequest::Kind::settings:
      method = "ShowSettings";
      parameters = g_variant_new("(s)", token);
      break;
    case InstanceRequest::Kind::query:
      method = "Query";
      parameters = g_variant_new("(ss)", request.query.value_or("").c_str(), token);
      break;
  }
  // No error object: whatever went wrong, the answer is that no instance took the request.
  const Reply reply(g_dbus_connection_call_sync(bus.get(), DBusInstanceChannel::serviceName,
                                                DBusInstanceChannel::objectPath,
                                                DBusInstanceChannel::serviceName, method, parameters, nullptr,
                                                G_DBUS_CALL_FLAGS_NO_AUTO_START, 1000, nullptr, nullptr),
                    &g_variant_unref);
  return reply != nullptr;
}

}  // namespace quillo::platform::desktop

#include "dbus_instance_channel.moc"

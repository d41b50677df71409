#include "atspi_bus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <atomic>

namespace quillo::platform::desktop::atspi {
namespace {

constexpr const char* kLauncher = "org.a11y.Bus";
constexpr const char* kLauncherPath = "/org/a11y/bus";
constexpr const char* kStatus = "org.a11y.Status";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

QDBusMessage launcherCall(const char* interface, const char* method) {
  return QDBusMessage::createMethodCall(kLauncher, kLauncherPath, interface, method);
}

ObjectRef readObject(const QDBusArgument& argument) {
  ObjectRef object;
  QDBusObjectPath path;
  argument.beginStructure();
  argument >> object.service >> path;
  argument.endStructure();
  object.path = path.path();
  return object;
}

std::optional<QDBusArgument> structured(const QVariant& value) {
  if (!value.canConvert<QDBusArgument>()) return std::nullopt;
  return value.value<QDBusArgument>();
}

}  // namespace

std::unique_ptr<Bus> Bus::connect(int timeoutMilliseconds) {
  QDBusConnection session = QDBusConnection::sessionBus();
  if (!session.isConnected()) return nullptr;
  const QDBusMessage reply =
      session.call(launcherCall(kLauncher, "GetAddress"), QDBus::Block, timeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return nullptr;
  const QString address = reply.arguments().constFirst().toString();
  if (address.isEmpty()) return nullptr;
  // Each instance has a connection of its own, closed with it.
  static std::atomic<int> counter{0};
  const QString name = QStringLiteral("quillo-accessibility-%1").arg(counter++);
  if (!QDBusConnection::connectToBus(address, name).isConnected()) {
    QDBusConnection::disconnectFromBus(name);
    return nullptr;
  }
  return std::unique_ptr<Bus>(new Bus(name));
}

Bus::Bus(QString name) : name_(std::move(name)) {}

Bus::~Bus() {
  QDBusConnection::disconnectFromBus(name_);
}

QDBusPendingCall Bus::call(const ObjectRef& object, const char* interface, const char* method,
                           const QVariantList& arguments, int timeoutMilliseconds) const {
  QDBusMessage message = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
  message.setArguments(arguments);
  return QDBusConnection(name_).asyncCall(message, timeoutMilliseconds);
}

QDBusPendingCall Bus::property(const ObjectRef& object, const char* interface, const char* name,
                               int timeoutMilliseconds) const {
  return call(object, kProperties, "Get", {QString::fromLatin1(interface), QString::fromLatin1(name)},
              timeoutMilliseconds);
}

QDBusPendingCall Bus::setProperty(const ObjectRef& object, const char* interface, const char* name,
                                  const QVariant& value, int timeoutMilliseconds) const {
  return call(
      object, kProperties, "Set",
      {QString::fromLatin1(interface), QString::fromLatin1(name), QVariant::fromValue(QDBusVariant(value))},
      timeoutMilliseconds);
}

QDBusPendingCall Bus::processOf(const QString& service, int timeoutMilliseconds) const {
  return call({"org.freedesktop.DBus", "/org/freedesktop/DBus"}, "org.freedesktop.DBus",
              "GetConnectionUnixProcessID", {service}, timeoutMilliseconds);
}

std::optional<QVariant> firstArgument(const QDBusPendingCall& call) {
  // Copies share the one call.
  QDBusPendingCall pending = call;
  pending.waitForFinished();
  if (pending.isError()) return std::nullopt;
  const QList<QVariant> arguments = pending.reply().arguments();
  if (arguments.isEmpty()) return std::nullopt;
  return arguments.constFirst();
}

std::optional<QString> stringReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value || value->metaType() != QMetaType::fromType<QString>()) return std::nullopt;
  return value->toString();
}

std::optional<std::uint32_t> unsignedReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value || value->metaType() != QMetaType::fromType<uint>()) return std::nullopt;
  return value->toUInt();
}

std::optional<int> intReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value || value->metaType() != QMetaType::fromType<int>()) return std::nullopt;
  return value->toInt();
}

std::optional<bool> boolReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value || value->metaType() != QMetaType::fromType<bool>()) return std::nullopt;
  return value->toBool();
}

std::optional<double> doubleReply(const QDBusPendingCall& call) {
  const auto value = propertyReply(call);
  if (!value) return std::nullopt;
  bool ok = false;
  const double number = value->toDouble(&ok);
  if (!ok) return std::nullopt;
  return number;
}

std::optional<QVariant> propertyReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  if (value->canConvert<QDBusVariant>()) return value->value<QDBusVariant>().variant();
  return value;
}

std::optional<ObjectRef> objectReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  QVariant inner = *value;
  if (inner.canConvert<QDBusVariant>()) inner = inner.value<QDBusVariant>().variant();
  const auto argument = structured(inner);
  if (!argument || argument->currentSignature() != "(so)") return std::nullopt;
  return readObject(*argument);
}

std::optional<std::vector<ObjectRef>> objectsReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  const auto argument = structured(*value);
  if (!argument || argument->currentSignature() != "a(so)") return std::nullopt;
  std::vector<ObjectRef> objects;
  argument->beginArray();
  while (!argument->atEnd())
    objects.push_back(readObject(*argument));
  argument->endArray();
  return objects;
}

std::optional<std::uint64_t> statesReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  const QList<uint> words = qdbus_cast<QList<uint>>(*value);
  if (words.size() != 2) return std::nullopt;
  return static_cast<std::uint64_t>(words[0]) | (static_cast<std::uint64_t>(words[1]) << 32);
}

std::optional<std::array<int, 4>> extentsReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  const auto argument = structured(*value);
  if (!argument || argument->currentSignature() != "(iiii)") return std::nullopt;
  std::array<int, 4> extents{};
  argument->beginStructure();
  *argument >> extents[0] >> extents[1] >> extents[2] >> extents[3];
  argument->endStructure();
  return extents;
}

std::optional<std::vector<QString>> actionNamesReply(const QDBusPendingCall& call) {
  const auto value = firstArgument(call);
  if (!value) return std::nullopt;
  const auto argument = structured(*value);
  if (!argument || argument->currentSignature() != "a(sss)") return std::nullopt;
  std::vector<QString> names;
  argument->beginArray();
  while (!argument->atEnd()) {
    QString name, description, keyBinding;
    argument->beginStructure();
    *argument >> name >> description >> keyBinding;
    argument->endStructure();
    names.push_back(name);
  }
  argument->endArray();
  return names;
}

std::optional<bool> accessibilityEnabled(int timeoutMilliseconds) {
  QDBusMessage message = launcherCall(kProperties, "Get");
  // Asking never starts the launcher: a session without it has the switch off.
  message.setAutoStartService(false);
  message.setArguments({QString::fromLatin1(kStatus), QStringLiteral("IsEnabled")});
  const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, timeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  const QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
  if (value.metaType() != QMetaType::fromType<bool>()) return std::nullopt;
  return value.toBool();
}

bool enableAccessibility(int timeoutMilliseconds) {
  QDBusMessage message = launcherCall(kProperties, "Set");
  message.setArguments(
      {QString::fromLatin1(kStatus), QStringLiteral("IsEnabled"), QVariant::fromValue(QDBusVariant(true))});
  const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, timeoutMilliseconds);
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace quillo::platform::desktop::atspi

#include "quillo/platform/desktop/portal_global_shortcuts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <utility>

#include "quillo/platform/desktop/key_names.h"

namespace quillo::platform::desktop {
namespace {

constexpr const char* portalService = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* requestInterface = "org.freedesktop.portal.Request";

using ShortcutList = QList<QPair<QString, QVariantMap>>;

}  // namespace

std::optional<std::string> preferredTrigger(std::uint32_t keyCode, std::uint32_t modifiers) {
  const auto key = keysymNameForMacKey(keyCode);
  if (!key) return std::nullopt;
  std::string trigger;
  if (modifiers & 0x1000) trigger += "CTRL+";
  if (modifiers & 0x800) trigger += "ALT+";
  if (modifiers & 0x200) trigger += "SHIFT+";
  if (modifiers & 0x100) trigger += "LOGO+";
  return trigger + *key;
}

PortalGlobalShortcuts::PortalGlobalShortcuts() {
  qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
  qDBusRegisterMetaType<ShortcutList>();
  auto bus = QDBusConnection::sessionBus();
  bus.connect(portalService, portalPath, shortcutsInterface, "Activated", this,
              SLOT(onActivated(QDBusMessage)));
  bus.connect(portalService, portalPath, shortcutsInterface, "Deactivated", this,
              SLOT(onDeactivated(QDBusMessage)));
  createSession();
}

void PortalGlobalShortcuts::createSession() {
  auto bus = QDBusConnection::sessionBus();
  const QString token = QStringLiteral("quillo_%1").arg(++tokens_);
  // Listen before asking: the answer may come before the call returns.
  bus.connect(portalService, requestPath(token), requestInterface, "Response", this,
              SLOT(onSessionCreated(uint, QVariantMap)));
  auto call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, "CreateSession");
  call << QVariantMap{{"handle_token", token}, {"session_handle_token", QStringLiteral("quillo")}};
  bus.asyncCall(call);
}

bool PortalGlobalShortcuts::available() {
  auto bus = QDBusConnection::sessionBus();
  auto get =
      QDBusMessage::createMethodCall(portalService, portalPath, "org.freedesktop.DBus.Properties", "Get");
  get << QString(shortcutsInterface) << QStringLiteral("version");
  return bus.call(get, QDBus::Block, 500).type() == QDBusMessage::ReplyMessage;
}

QString PortalGlobalShortcuts::requestPath(const QString& token) const {
  QString sender = QDBusConnection::sessionBus().baseService().mid(1);
  sender.replace('.', '_');
  return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

std::optional<HotKeys::Reference> PortalGlobalShortcuts::registerHotKey(std::uint32_t keyCode,
                                                                        std::uint32_t modifiers,
                                                                        std::uint32_t number) {
  const Reference reference = next_++;
  shortcuts_[reference] = {number, preferredTrigger(keyCode, modifiers)};
  // A registration after a refusal asks the user again.
  const bool askAgain = std::exchange(refused_, false);
  if (askAgain && session_.isEmpty()) {
    createSession();
  } else {
    bindAll();
  }
  return reference;
}

void PortalGlobalShortcuts::unregisterHotKey(Reference reference) {
  shortcuts_.erase(reference);
  bindAll();
}

bool PortalGlobalShortcuts::installHandler(Handler handler) {
  handler_ = std::move(handler);
  return true;
}

void PortalGlobalShortcuts::bindAll() {
  // Shortcuts registered before the session opened are bound once it is.
  if (session_.isEmpty()) return;
  ShortcutList list;
  for (const auto& [reference, shortcut] : shortcuts_) {
    const auto description = descriptions_.find(shortcut.number);
    QVariantMap details{{"description", description == descriptions_.end()
                                            ? QStringLiteral("Quillo")
                                            : QString::fromStdString(description->second)}};
    if (shortcut.trigger) details["preferred_trigger"] = QString::fromStdString(*shortcut.trigger);
    list.append({QString::number(shortcut.number), details});
  }
  const QString token = QStringLiteral("quillo_%1").arg(++tokens_);
  auto bus = QDBusConnection::sessionBus();
  bus.connect(portalService, requestPath(token), requestInterface, "Response", this,
              SLOT(onBound(uint, QVariantMap)));
  auto call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, "BindShortcuts");
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(list) << QString()
       << QVariantMap{{"handle_token", token}};
  bus.asyncCall(call);
}

std::optional<std::string> PortalGlobalShortcuts::refusal() const {
  if (!refused_) return std::nullopt;
  return "You turned down Quillo's request for global shortcuts, so its shortcuts do nothing. To allow "
         "them, record a shortcut again in Quillo's settings and accept the desktop's dialog, or bind it "
         "in the desktop's own shortcut settings.";
}

// The portal answers 0 for granted, 1 for turned down by the user and 2 for any other end.
void PortalGlobalShortcuts::onSessionCreated(uint response, const QVariantMap& results) {
  if (response != 0) {
    refused_ = response == 1;
    return;
  }
  session_ = results.value("session_handle").toString();
  bindAll();
}

void PortalGlobalShortcuts::onBound(uint response, const QVariantMap& results) {
  if (response != 0) {
    refused_ = response == 1;
    if (refused_) triggers_.clear();
    return;
  }
  ShortcutList bound;
  results.value("shortcuts").value<QDBusArgument>() >> bound;
  triggers_.clear();
  for (const auto& [id, details] : bound)
    triggers_[id.toUInt()] = details.value("trigger_description").toString().toStdString();
}

void PortalGlobalShortcuts::deliver(const QDBusMessage& signal, EventKind kind) {
  // (session handle, shortcut id, timestamp, options)
  const auto arguments = signal.arguments();
  if (!handler_ || arguments.size() < 2) return;
  if (arguments[0].value<QDBusObjectPath>().path() != session_) return;
  const QString id = arguments[1].toString();
  bool isNumber = false;
  const auto number = id.toUInt(&isNumber);
  if (isNumber) handler_(number, kind);
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& signal) {
  deliver(signal, EventKind::pressed);
}

void PortalGlobalShortcuts::onDeactivated(const QDBusMessage& signal) {
  deliver(signal, EventKind::released);
}

}  // namespace quillo::platform::desktop

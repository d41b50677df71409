#include "quillo/platform/desktop/portal_remote_desktop.h"

#include <linux/input-event-codes.h>

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace quillo::platform::desktop {
namespace {

constexpr const char* portalService = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* remoteInterface = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* requestInterface = "org.freedesktop.portal.Request";
constexpr uint keyboardDevice = 1;
constexpr uint persistUntilRevoked = 2;

uint portalVersion() {
  auto get =
      QDBusMessage::createMethodCall(portalService, portalPath, "org.freedesktop.DBus.Properties", "Get");
  get << QString(remoteInterface) << QStringLiteral("version");
  const auto reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 500);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  return reply.arguments().first().value<QDBusVariant>().variant().toUInt();
}

}  // namespace

PortalRemoteDesktop::PortalRemoteDesktop(std::filesystem::path tokenFile)
    : tokenFile_(std::move(tokenFile)) {}

bool PortalRemoteDesktop::available() {
  return portalVersion() > 0;
}

QString PortalRemoteDesktop::listen(const char* slot) {
  const QString token = QStringLiteral("quillo_paste_%1").arg(++tokens_);
  auto bus = QDBusConnection::sessionBus();
  QString sender = bus.baseService().mid(1);
  sender.replace('.', '_');
  // Listen before asking: the answer may come before the call returns.
  bus.connect(portalService,
              QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token),
              requestInterface, "Response", this, slot);
  return token;
}

void PortalRemoteDesktop::start() {
  if (starting_ || running_) return;
  starting_ = true;
  refused_ = false;
  const QString token = listen(SLOT(onSessionCreated(uint, QVariantMap)));
  auto call = QDBusMessage::createMethodCall(portalService, portalPath, remoteInterface, "CreateSession");
  call << QVariantMap{{"handle_token", token}, {"session_handle_token", QStringLiteral("quillo_paste")}};
  QDBusConnection::sessionBus().asyncCall(call);
}

void PortalRemoteDesktop::onSessionCreated(uint response, const QVariantMap& results) {
  if (response != 0) {
    starting_ = false;
    refused_ = true;
    return;
  }
  session_ = results.value("session_handle").toString();
  QDBusConnection::sessionBus().connect(portalService, session_, "org.freedesktop.portal.Session", "Closed",
                                        this, SLOT(onSessionClosed()));
  QVariantMap options{{"handle_token", listen(SLOT(onDevicesSelected(uint, QVariantMap)))},
                      {"types", keyboardDevice}};
  // Only later versions of the portal can remember the user's consent.
  if (portalVersion() >= 2) {
    options["persist_mode"] = persistUntilRevoked;
    std::ifstream file(tokenFile_);
    if (std::string token; std::getline(file, token) && !token.empty())
      options["restore_token"] = QString::fromStdString(token);
  }
  auto call = QDBusMessage::createMethodCall(portalService, portalPath, remoteInterface, "SelectDevices");
  call << QVariant::fromValue(QDBusObjectPath(session_)) << options;
  QDBusConnection::sessionBus().asyncCall(call);
}

void PortalRemoteDesktop::onDevicesSelected(uint response, const QVariantMap&) {
  if (response != 0) {
    starting_ = false;
    refused_ = true;
    return;
  }
  auto call = QDBusMessage::createMethodCall(portalService, portalPath, remoteInterface, "Start");
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QString()
       << QVariantMap{{"handle_token", listen(SLOT(onStarted(uint, QVariantMap)))}};
  QDBusConnection::sessionBus().asyncCall(call);
}

void PortalRemoteDesktop::onStarted(uint response, const QVariantMap& results) {
  starting_ = false;
  if (response != 0 || !(results.value("devices").toUInt() & keyboardDevice)) {
    refused_ = true;
    return;
  }
  running_ = true;
  if (const auto token = results.value("restore_token").toString(); !token.isEmpty()) {
    std::filesystem::create_directories(tokenFile_.parent_path());
    std::ofstream(tokenFile_, std::ios::trunc) << token.toStdString() << '\n';
  }
}

void PortalRemoteDesktop::onSessionClosed() {
  // The user ended the session (GNOME's indicator): the next paste asks again.
  running_ = false;
  session_.clear();
}

bool PortalRemoteDesktop::isTrusted() {
  if (!running_ && !refused_) start();
  return running_;
}

void PortalRemoteDesktop::keycode(int code, bool pressed) {
  auto call =
      QDBusMessage::createMethodCall(portalService, portalPath, remoteInterface, "NotifyKeyboardKeycode");
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap{} << code << uint(pressed ? 1 : 0);
  QDBusConnection::sessionBus().send(call);
}

void PortalRemoteDesktop::keysym(int symbol, bool pressed) {
  auto call =
      QDBusMessage::createMethodCall(portalService, portalPath, remoteInterface, "NotifyKeyboardKeysym");
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap{} << symbol << uint(pressed ? 1 : 0);
  QDBusConnection::sessionBus().send(call);
}

bool PortalRemoteDesktop::post(const KeyStroke& stroke) {
  if (!running_) return false;
  std::vector<int> modifiers;
  if (stroke.control) modifiers.push_back(KEY_LEFTCTRL);
  if (stroke.option) modifiers.push_back(KEY_LEFTALT);
  if (stroke.shift) modifiers.push_back(KEY_LEFTSHIFT);
  if (stroke.command) modifiers.push_back(KEY_LEFTMETA);
  for (const int modifier : modifiers)
    keycode(modifier, true);
  // A letter's keysym is its ASCII code.
  keysym(static_cast<unsigned char>(stroke.key), true);
  keysym(static_cast<unsigned char>(stroke.key), false);
  std::for_each(modifiers.rbegin(), modifiers.rend(), [this](int modifier) { keycode(modifier, false); });
  return true;
}

}  // namespace quillo::platform::desktop

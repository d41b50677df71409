#include "quillo/platform/desktop/kwin_front_application.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "kwin_receiver.h"
#include "kwin_script.h"

namespace quillo::platform::desktop {
namespace {

constexpr const char* kObjectPath = "/dev/tarnwick/Quillo/FrontApplication";

QDBusMessage scripting(const char* method, const QVariantList& arguments, int timeout) {
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", method);
  call.setArguments(arguments);
  return QDBusConnection::sessionBus().call(call, QDBus::Block, timeout);
}

std::string errorOf(const QDBusMessage& reply) {
  return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage().toStdString() : "no answer";
}

// The script with the calls addressed to this connection, in a file the compositor can read.
std::unique_ptr<QTemporaryFile> writeScript(const QString& service) {
  QString text = QString::fromUtf8(kwin::kScript);
  text.replace(QLatin1String("%SERVICE%"), service)
      .replace(QLatin1String("%PATH%"), QLatin1String(kObjectPath));
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/quillo-kwin-XXXXXX.js"));
  if (!file->open() || file->write(text.toUtf8()) < 0 || !file->flush())
    throw FrontApplicationUnavailable("Quillo's KWin script cannot be written: " +
                                      file->errorString().toStdString());
  return file;
}

}  // namespace

KWinFrontApplication::KWinFrontApplication(MainQueue& main, EntryOfWindow entryOf, Observer onActivation,
                                           int timeoutMilliseconds)
    : reports_(main, std::move(onActivation)), timeout_(timeoutMilliseconds) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) throw FrontApplicationUnavailable("The session has no D-Bus session bus.");
  receiver_ = std::make_unique<kwin::Receiver>(
      [this, entryOf = std::move(entryOf)](const QString& pid, const QString& resourceClass,
                                           const QString& desktopFileName) {
        bool number = false;
        const Window window{pid.toInt(&number), resourceClass.toStdString(), desktopFileName.toStdString()};
        // A window without a process (the desktop's own surfaces) is no application.
        if (!number || window.pid <= 0) {
          reports_.report(std::nullopt);
          return;
        }
        FrontApplication application{window.pid, {}, {}, window.resourceClass};
        if (const auto entry = entryOf(window)) {
          application.id = entry->id;
          application.name = entry->name;
        }
        reports_.report(application);
      },
      [this] { reports_.report(std::nullopt); });
  if (!bus.registerObject(kObjectPath, receiver_.get(), QDBusConnection::ExportScriptableSlots))
    throw FrontApplicationUnavailable("Another part of Quillo already follows KWin's windows.");
  try {
    script_ = writeScript(bus.baseService());
    // A script left behind by a run that ended without unloading it calls a connection that is gone.
    unload();
    const QDBusMessage loaded =
        scripting("loadScript", {script_->fileName(), QString(kScriptName)}, timeout_);
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty() ||
        loaded.arguments().constFirst().toInt() < 0)
      throw FrontApplicationUnavailable("KWin does not load Quillo's script: " + errorOf(loaded));
    const QDBusMessage started = scripting("start", {}, timeout_);
    if (started.type() != QDBusMessage::ReplyMessage) {
      unload();
      throw FrontApplicationUnavailable("KWin does not start Quillo's script: " + errorOf(started));
    }
  } catch (...) {
    bus.unregisterObject(kObjectPath);
    throw;
  }
}

KWinFrontApplication::~KWinFrontApplication() {
  unload();
  QDBusConnection::sessionBus().unregisterObject(kObjectPath);
}

void KWinFrontApplication::unload() {
  scripting("unloadScript", {QString(kScriptName)}, timeout_);
}

std::optional<FrontApplication> KWinFrontApplication::front() const {
  return reports_.front();
}

}  // namespace quillo::platform::desktop

#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <filesystem>

#include "quillo/platform/key_events.h"

namespace quillo::platform::desktop {

// The paste keystroke on Wayland through the desktop's RemoteDesktop portal: one session with a
// keyboard for the program's life, asked for the first time the paste needs it (the desktop asks
// the user's consent then). Modifiers go by their place on the keyboard, the letter by its meaning,
// so the stroke is the one the layout in use types. Where the portal remembers consent, its restore
// token is kept in `tokenFile` and handed back next time, so the user approves once. Until the
// session runs (the portal absent, the user refused or not answered yet) it is not trusted and the
// paste is left to the user. Needs Qt's event loop; main thread only.
class PortalRemoteDesktop final : public QObject, public KeyEvents {
  Q_OBJECT

 public:
  explicit PortalRemoteDesktop(std::filesystem::path tokenFile);

  // Whether the session bus has the portal interface at all.
  static bool available();

  // Asks for the session now rather than at the first paste.
  void start();
  bool isTrusted() override;
  bool post(const KeyStroke& stroke) override;

  bool refused() const { return refused_; }

 private Q_SLOTS:
  void onSessionCreated(uint response, const QVariantMap& results);
  void onDevicesSelected(uint response, const QVariantMap& results);
  void onStarted(uint response, const QVariantMap& results);
  void onSessionClosed();

 private:
  QString listen(const char* slot);
  void keycode(int code, bool pressed);
  void keysym(int symbol, bool pressed);

  std::filesystem::path tokenFile_;
  QString session_;
  bool starting_ = false;
  bool running_ = false;
  bool refused_ = false;
  int tokens_ = 0;
};

}  // namespace quillo::platform::desktop

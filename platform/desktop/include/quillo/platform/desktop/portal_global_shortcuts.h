#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <map>
#include <optional>
#include <string>

#include "quillo/platform/hot_keys.h"

namespace quillo::platform::desktop {

// The trigger the portal is asked to prefer for a stored shortcut, in the form of freedesktop's
// shortcut triggers ("LOGO+SHIFT+v"); none for a key it has no name for (the desktop's own
// dialog then asks the user).
std::optional<std::string> preferredTrigger(std::uint32_t keyCode, std::uint32_t modifiers);

// Global shortcuts on Wayland through the desktop's GlobalShortcuts portal (Plasma 5.27): one
// session for the program's life, every shortcut bound in it at once; the desktop's dialog picks
// the keys (our stored shortcut is only its suggestion) and `triggers` says what it chose.
// Activated and Deactivated arrive as pressed and released. When the user turns the desktop's
// request down, `refusal()` says so until the next registration, which asks again. Needs Qt's event
// loop; main thread only.
class PortalGlobalShortcuts final : public QObject, public HotKeys {
  Q_OBJECT

 public:
  PortalGlobalShortcuts();

  // Whether the session bus has the portal interface at all.
  static bool available();

  std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::uint32_t number) override;
  void unregisterHotKey(Reference reference) override;
  bool installHandler(Handler handler) override;
  KeyLabelStyle labelStyle() const override { return KeyLabelStyle::words; }
  std::optional<std::string> keyCharacter(std::uint32_t) const override { return std::nullopt; }
  std::optional<std::string> refusal() const override;

  // What the desktop's settings show for a shortcut ("Show the launcher").
  void setDescription(std::uint32_t number, std::string description) {
    descriptions_[number] = std::move(description);
  }
  // What the desktop bound each number to, as it describes the keys ("Meta+Space").
  const std::map<std::uint32_t, std::string>& triggers() const { return triggers_; }
  bool sessionOpen() const { return !session_.isEmpty(); }

 private Q_SLOTS:
  void onSessionCreated(uint response, const QVariantMap& results);
  void onBound(uint response, const QVariantMap& results);
  void onActivated(const QDBusMessage& signal);
  void onDeactivated(const QDBusMessage& signal);

 private:
  struct Shortcut {
    std::uint32_t number;
    std::optional<std::string> trigger;
  };
  QString requestPath(const QString& token) const;
  void createSession();
  void bindAll();
  void deliver(const QDBusMessage& signal, EventKind kind);

  QString session_;
  bool refused_ = false;
  std::map<Reference, Shortcut> shortcuts_;
  std::map<std::uint32_t, std::string> triggers_;
  std::map<std::uint32_t, std::string> descriptions_;
  Reference next_ = 1;
  int tokens_ = 0;
  Handler handler_;
};

}  // namespace quillo::platform::desktop

#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The accessibility bus as the accessibility seam speaks it: a connection of its own, calls sent
// without waiting, and the replies read into plain values. Private to the AT-SPI implementation.
namespace quillo::platform::desktop::atspi {

// One object on the bus: the application's unique name and the object's path.
struct ObjectRef {
  QString service;
  QString path;
  bool operator==(const ObjectRef&) const = default;
};

inline constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
inline constexpr const char* kAction = "org.a11y.atspi.Action";
inline constexpr const char* kComponent = "org.a11y.atspi.Component";
inline constexpr const char* kValue = "org.a11y.atspi.Value";
inline constexpr const char* kSelection = "org.a11y.atspi.Selection";
inline constexpr const char* kApplicationRoot = "/org/a11y/atspi/accessible/root";

class Bus {
 public:
  // The desktop's accessibility bus; absent when the session has none.
  static std::unique_ptr<Bus> connect(int timeoutMilliseconds);
  ~Bus();
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // Sends a method call; the answer arrives on QtDBus's own thread, so any thread may wait for it.
  QDBusPendingCall call(const ObjectRef& object, const char* interface, const char* method,
                        const QVariantList& arguments, int timeoutMilliseconds) const;
  QDBusPendingCall property(const ObjectRef& object, const char* interface, const char* name,
                            int timeoutMilliseconds) const;
  QDBusPendingCall setProperty(const ObjectRef& object, const char* interface, const char* name,
                               const QVariant& value, int timeoutMilliseconds) const;
  QDBusConnection connection() const { return QDBusConnection(name_); }
  // The process behind an application's name on the bus.
  QDBusPendingCall processOf(const QString& service, int timeoutMilliseconds) const;

 private:
  explicit Bus(QString name);
  QString name_;
};

// Replies, read after waiting for them; absent when the call failed or the reply has another shape.
std::optional<QVariant> firstArgument(const QDBusPendingCall& call);
std::optional<QString> stringReply(const QDBusPendingCall& call);
std::optional<std::uint32_t> unsignedReply(const QDBusPendingCall& call);
std::optional<int> intReply(const QDBusPendingCall& call);
std::optional<bool> boolReply(const QDBusPendingCall& call);
std::optional<double> doubleReply(const QDBusPendingCall& call);
// A property's value, unwrapped from its variant.
std::optional<QVariant> propertyReply(const QDBusPendingCall& call);
std::optional<ObjectRef> objectReply(const QDBusPendingCall& call);
std::optional<std::vector<ObjectRef>> objectsReply(const QDBusPendingCall& call);
// The state set: bit n of the result is state n.
std::optional<std::uint64_t> statesReply(const QDBusPendingCall& call);
// x, y, width, height.
std::optional<std::array<int, 4>> extentsReply(const QDBusPendingCall& call);
// The names of an element's actions, in order.
std::optional<std::vector<QString>> actionNamesReply(const QDBusPendingCall& call);

// Whether accessibility is enabled for the session (absent while the session has no launcher of the
// accessibility bus running), and switching it on, which starts the launcher where needed.
std::optional<bool> accessibilityEnabled(int timeoutMilliseconds);
bool enableAccessibility(int timeoutMilliseconds);

}  // namespace quillo::platform::desktop::atspi

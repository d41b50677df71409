#include "atspi_activation_tracker.h"

#include <atspi/atspi-constants.h>

#include <array>
#include <vector>

namespace quillo::platform::desktop::atspi {
namespace {

constexpr const char* kWindowEvents = "org.a11y.atspi.Event.Window";
constexpr const char* kObjectEvents = "org.a11y.atspi.Event.Object";
// Toolkits send only the events someone registered for.
constexpr std::array kTrackedEvents{"window:activate", "window:deactivate", "object:state-changed:active"};

bool isActive(std::uint64_t states) {
  return (states & (std::uint64_t{1} << ATSPI_STATE_ACTIVE)) != 0;
}

}  // namespace

ActivationTracker::ActivationTracker(const Bus& bus, int timeoutMilliseconds,
                                     std::function<void(const std::optional<QString>&)> changed)
    : bus_(bus), timeout_(timeoutMilliseconds), changed_(std::move(changed)) {
  thread_.setObjectName("front application");
  thread_.start();
  moveToThread(&thread_);
  QDBusConnection connection = bus.connection();
  connection.connect({}, {}, kWindowEvents, "Activate", this, SLOT(onEvent(QDBusMessage)));
  connection.connect({}, {}, kWindowEvents, "Deactivate", this, SLOT(onEvent(QDBusMessage)));
  // Only the "active" state's changes: the bus leaves the others (focus, selection, ...) with us unsent.
  connection.connect({}, {}, kObjectEvents, "StateChanged", {QStringLiteral("active")}, {}, this,
                     SLOT(onEvent(QDBusMessage)));
  // An application that ends sends no deactivation.
  connection.connect("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                     "NameOwnerChanged", this, SLOT(onNameOwnerChanged(QString, QString, QString)));
  // A toolkit joins the bus in its own time, and a window activated before it learnt that someone
  // listens was never announced: the registry tells of each application it adds.
  connection.connect("org.a11y.atspi.Registry", kApplicationRoot, kObjectEvents, "ChildrenChanged",
                     {QStringLiteral("add")}, {}, this, SLOT(lookForActiveWindow()));
  std::vector<QDBusPendingCall> registered;
  for (const char* event : kTrackedEvents)
    registered.push_back(bus.call({"org.a11y.atspi.Registry", "/org/a11y/atspi/registry"},
                                  "org.a11y.atspi.Registry", "RegisterEvent", {QString::fromLatin1(event)},
                                  timeout_));
  for (QDBusPendingCall& call : registered)
    call.waitForFinished();
  // After the events are subscribed, so that an activation during the search is not missed: it
  // is handled after the search, on the same thread.
  QMetaObject::invokeMethod(this, &ActivationTracker::lookForActiveWindow, Qt::QueuedConnection);
}

ActivationTracker::~ActivationTracker() {
  thread_.quit();
  thread_.wait();
}

std::optional<ObjectRef> ActivationTracker::findActiveWindow() {
  const auto applications = objectsReply(
      bus_.call({"org.a11y.atspi.Registry", kApplicationRoot}, kAccessible, "GetChildren", {}, timeout_));
  if (!applications) return std::nullopt;
  std::vector<QDBusPendingCall> windowLists;
  for (const ObjectRef& application : *applications)
    windowLists.push_back(
        bus_.call({application.service, kApplicationRoot}, kAccessible, "GetChildren", {}, timeout_));
  std::vector<ObjectRef> windows;
  std::vector<QDBusPendingCall> states;
  for (const QDBusPendingCall& list : windowLists) {
    for (const ObjectRef& window : objectsReply(list).value_or(std::vector<ObjectRef>{})) {
      windows.push_back(window);
      states.push_back(bus_.call(window, kAccessible, "GetState", {}, timeout_));
    }
  }
  std::optional<ObjectRef> found;
  for (std::size_t index = 0; index < windows.size(); ++index) {
    if (!isActive(statesReply(states[index]).value_or(0))) continue;
    // Two applications that both claim the active window cannot both be in front.
    if (found && found->service != windows[index].service) return std::nullopt;
    found = windows[index];
  }
  return found;
}

void ActivationTracker::lookForActiveWindow() {
  if (active_) return;
  if (const auto window = findActiveWindow()) activate(*window);
}

void ActivationTracker::onEvent(const QDBusMessage& message) {
  const ObjectRef object{message.service(), message.path()};
  if (message.member() == QLatin1String("StateChanged")) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].toString() != QLatin1String("active")) return;
    if (arguments[1].toInt() != 0)
      activate(object);
    else
      deactivate(object);
  } else if (message.member() == QLatin1String("Activate")) {
    activate(object);
  } else if (message.member() == QLatin1String("Deactivate")) {
    deactivate(object);
  }
}

void ActivationTracker::onNameOwnerChanged(const QString& name, const QString& /*oldOwner*/,
                                           const QString& newOwner) {
  if (newOwner.isEmpty() && active_ && active_->service == name) deactivate(*active_);
}

void ActivationTracker::activate(const ObjectRef& window) {
  if (active_ == window) return;
  const bool sameApplication = active_ && active_->service == window.service;
  active_ = window;
  if (!sameApplication) changed_(window.service);
}

void ActivationTracker::deactivate(const ObjectRef& window) {
  // The window that lost the activation may report it after the next one gained it.
  if (active_ != window) return;
  const QString previous = window.service;
  // Toolkits tell a window's activation late or not at all when it comes back quickly (Qt waits a
  // moment before it lets a window go): the window left active is the one in front, if any.
  active_ = findActiveWindow();
  if (!active_)
    changed_(std::nullopt);
  else if (active_->service != previous)
    changed_(active_->service);
}

}  // namespace quillo::platform::desktop::atspi

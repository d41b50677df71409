#include "atspi_events.h"

#include <array>
#include <vector>

#include "atspi_bus.h"

namespace quillo::platform::desktop::atspi {
namespace {

struct Signal {
  const char* interface;
  const char* name;
};

constexpr std::array kSignals{
    Signal{"org.a11y.atspi.Event.Object", "ChildrenChanged"},
    Signal{"org.a11y.atspi.Event.Object", "PropertyChange"},
    Signal{"org.a11y.atspi.Event.Object", "StateChanged"},
    Signal{"org.a11y.atspi.Event.Window", "Activate"},
    Signal{"org.a11y.atspi.Event.Window", "Deactivate"},
    Signal{"org.a11y.atspi.Event.Window", "Create"},
    Signal{"org.a11y.atspi.Event.Window", "Destroy"},
};

constexpr std::array kRegistered{"object:children-changed", "object:property-change", "object:state-changed",
                                 "window:"};

}  // namespace

ChangeListener::ChangeListener(const Bus& bus, std::function<void(const QString& service)> changed)
    : changed_(std::move(changed)) {
  thread_.setObjectName("accessibility events");
  thread_.start();
  // Signals reach the listener on its own thread, never on the caller's or the main thread.
  moveToThread(&thread_);
  QDBusConnection connection = bus.connection();
  for (const Signal& signal : kSignals)
    connection.connect({}, {}, signal.interface, signal.name, this, SLOT(onEvent(QDBusMessage)));
  std::vector<QDBusPendingCall> registered;
  for (const char* event : kRegistered)
    registered.push_back(bus.call({"org.a11y.atspi.Registry", "/org/a11y/atspi/registry"},
                                  "org.a11y.atspi.Registry", "RegisterEvent", {QString::fromLatin1(event)},
                                  1000));
  for (QDBusPendingCall& call : registered)
    call.waitForFinished();
}

ChangeListener::~ChangeListener() {
  thread_.quit();
  thread_.wait();
}

void ChangeListener::onEvent(const QDBusMessage& message) {
  changed_(message.service());
}

}  // namespace quillo::platform::desktop::atspi

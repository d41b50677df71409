#include "quillo/platform/desktop/atspi_front_application.h"

#include "atspi_activation_tracker.h"
#include "atspi_bus.h"

namespace quillo::platform::desktop {
namespace {

// The application behind a bus name; none when its process cannot be told.
std::optional<FrontApplication> describe(const atspi::Bus& bus, const QString& service, int timeout,
                                         const AtspiFrontApplication::EntryOfApplication& entryOf) {
  QDBusPendingCall process = bus.processOf(service, timeout);
  QDBusPendingCall name =
      bus.property({service, atspi::kApplicationRoot}, atspi::kAccessible, "Name", timeout);
  const auto pid = atspi::unsignedReply(process);
  if (!pid || *pid == 0) return std::nullopt;
  AtspiFrontApplication::Published published{identifyProcess(static_cast<ProcessID>(*pid)), {}};
  if (const auto value = atspi::propertyReply(name))
    published.applicationName = value->toString().toStdString();
  FrontApplication application{published.process.pid};
  if (const auto entry = entryOf(published)) {
    application.id = entry->id;
    application.name = entry->name;
  }
  return application;
}

}  // namespace

AtspiFrontApplication::AtspiFrontApplication(MainQueue& main, EntryOfApplication entryOf,
                                             Observer onActivation, int timeoutMilliseconds)
    : reports_(main, std::move(onActivation)), bus_(atspi::Bus::connect(timeoutMilliseconds)) {
  if (!bus_) throw FrontApplicationUnavailable("The session has no accessibility bus.");
  tracker_ = std::make_unique<atspi::ActivationTracker>(
      *bus_, timeoutMilliseconds,
      [this, timeoutMilliseconds, entryOf = std::move(entryOf)](const std::optional<QString>& service) {
        reports_.report(service ? describe(*bus_, *service, timeoutMilliseconds, entryOf) : std::nullopt);
      });
}

// The tracker's thread stops (first, as the last member) before the connection it listens on closes.
AtspiFrontApplication::~AtspiFrontApplication() = default;

std::optional<FrontApplication> AtspiFrontApplication::front() const {
  return reports_.front();
}

}  // namespace quillo::platform::desktop

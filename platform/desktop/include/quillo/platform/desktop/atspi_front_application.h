#pragma once

#include <memory>
#include <optional>

#include "quillo/platform/desktop/front_application_source.h"
#include "quillo/platform/desktop/process_identity.h"
#include "quillo/platform/main_queue.h"

namespace quillo::platform::desktop {

namespace atspi {
class Bus;
class ActivationTracker;
}  // namespace atspi

// The application in front as the accessibility bus tells it, for desktops that tell no program
// which window is active (GNOME on Wayland): the application whose window the toolkit marks
// active, followed through the bus's activation events. Its process comes from the bus (the
// process behind the application's bus name), its desktop entry from that process. Applications
// that do not publish to the bus are never reported: while one of them is in front, no published
// window is active and the front application is unknown, never another one.
//
// Needs a QCoreApplication. Throws FrontApplicationUnavailable when the session has no
// accessibility bus.
class AtspiFrontApplication final : public FrontApplicationSource {
 public:
  struct Published {
    ProcessIdentity process;
    std::string applicationName;  // the name the application gives itself on the bus
  };
  // The desktop entry of an application; none for programs without one.
  using EntryOfApplication = std::function<std::optional<FrontEntry>(const Published&)>;

  AtspiFrontApplication(MainQueue& main, EntryOfApplication entryOf, Observer onActivation,
                        int timeoutMilliseconds = 1000);
  ~AtspiFrontApplication() override;
  AtspiFrontApplication(const AtspiFrontApplication&) = delete;
  AtspiFrontApplication& operator=(const AtspiFrontApplication&) = delete;

  std::optional<FrontApplication> front() const override;

 private:
  FrontReports reports_;
  std::unique_ptr<atspi::Bus> bus_;
  std::unique_ptr<atspi::ActivationTracker> tracker_;
};

}  // namespace quillo::platform::desktop

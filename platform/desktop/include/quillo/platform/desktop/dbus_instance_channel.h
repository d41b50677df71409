#pragma once

#include <memory>

#include "quillo/platform/instance_channel.h"

namespace quillo::platform::desktop {

// One instance per session: the running app owns the session-bus name "dev.tarnwick.Quillo" with
// the methods Show, ShowClipboard, Toggle, ShowSettings (each taking the activation token) and Query (the
// text, then the token) on "/dev/tarnwick/Quillo". `claim` needs Qt's application object;
// `forward` does not (GDBus, synchronous, a second at most), so that a start that only
// forwards exits in a few milliseconds without starting Qt.
class DBusInstanceChannel final : public InstanceChannel {
 public:
  static constexpr const char* serviceName = "dev.tarnwick.Quillo";
  static constexpr const char* objectPath = "/dev/tarnwick/Quillo";

  DBusInstanceChannel();
  ~DBusInstanceChannel() override;

  bool claim(Receiver receiver) override;
  bool forward(const InstanceRequest& request) override;

 private:
  class Adaptor;
  std::unique_ptr<Adaptor> adaptor_;
};

// The same forwarding without an object, for the start of `quillo` before anything else.
bool forwardToRunningInstance(const InstanceRequest& request);

}  // namespace quillo::platform::desktop

#pragma once

#include <vector>

#include "quillo/platform/instance_channel.h"

namespace quillo::testing {

// An instance channel within the test: either this process claims it and the test delivers
// requests, or another instance is declared running and forwarded requests are kept.
class FakeInstanceChannel final : public platform::InstanceChannel {
 public:
  bool anotherInstanceRunning = false;
  std::vector<platform::InstanceRequest> forwarded;

  bool claim(Receiver receiver) override;
  bool forward(const platform::InstanceRequest& request) override;
  // Delivers a request of a later start; false when this process holds no claim.
  bool deliver(const platform::InstanceRequest& request) const;

 private:
  Receiver receiver_;
};

}  // namespace quillo::testing

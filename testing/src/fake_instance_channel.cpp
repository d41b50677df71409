#include "quillo/testing/fake_instance_channel.h"

namespace quillo::testing {

bool FakeInstanceChannel::claim(Receiver receiver) {
  if (anotherInstanceRunning) return false;
  receiver_ = std::move(receiver);
  return true;
}

bool FakeInstanceChannel::forward(const platform::InstanceRequest& request) {
  if (!anotherInstanceRunning) return false;
  forwarded.push_back(request);
  return true;
}

bool FakeInstanceChannel::deliver(const platform::InstanceRequest& request) const {
  if (!receiver_) return false;
  receiver_(request);
  return true;
}

}  // namespace quillo::testing

#include "quillo/platform/desktop/front_application_source.h"

namespace quillo::platform::desktop {

FrontReports::FrontReports(MainQueue& main, FrontApplicationSource::Observer observer) : main_(main) {
  shared_->observer = std::move(observer);
}

FrontReports::~FrontReports() {
  std::lock_guard lock(shared_->mutex);
  shared_->alive = false;
}

void FrontReports::know(std::optional<FrontApplication> front) {
  std::lock_guard lock(shared_->mutex);
  shared_->front = std::move(front);
}

void FrontReports::report(std::optional<FrontApplication> front) {
  know(front);
  // Only activations are events: an application that leaves the front is not one.
  if (!front) return;
  main_.post([shared = shared_, front = std::move(*front)] {
    FrontApplicationSource::Observer observer;
    {
      std::lock_guard lock(shared->mutex);
      if (!shared->alive) return;
      observer = shared->observer;
    }
    if (observer) observer(front);
  });
}

std::optional<FrontApplication> FrontReports::front() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->front;
}

}  // namespace quillo::platform::desktop

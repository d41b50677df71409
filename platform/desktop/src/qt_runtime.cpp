#include "quillo/platform/desktop/qt_runtime.h"

#include <QCoreApplication>

namespace quillo::platform::desktop {

struct QtRuntime::State {
  // QCoreApplication keeps references to these for its whole life.
  int argc = 1;
  char name[8] = "quillo";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QCoreApplication> application;
};

QtRuntime::QtRuntime() {
  if (QCoreApplication::instance() != nullptr) return;
  state_ = std::make_unique<State>();
  state_->application = std::make_unique<QCoreApplication>(state_->argc, state_->argv);
}

QtRuntime::~QtRuntime() = default;

}  // namespace quillo::platform::desktop

#include "quillo/testing/qt_test_loop.h"

#include <chrono>

namespace quillo::testing {

bool runQtUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  return done();
}

}  // namespace quillo::testing

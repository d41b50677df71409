#include "quillo/testing/log_capture.h"

namespace quillo::testing {

LogCapture::LogCapture() {
  base::log::setSink([this](base::log::Level, std::string_view category, std::string_view message) {
    const std::lock_guard lock(mutex_);
    lines_.push_back(std::string(category) + ": " + std::string(message));
  });
}

LogCapture::~LogCapture() {
  base::log::resetSink();
}

std::vector<std::string> LogCapture::lines() const {
  const std::lock_guard lock(mutex_);
  return lines_;
}

}  // namespace quillo::testing

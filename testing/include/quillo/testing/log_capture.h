#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "quillo/base/log.h"

namespace quillo::testing {

// Captures the log lines written while it lives, from any thread, as "category: message";
// standard error gets them again afterwards.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace quillo::testing

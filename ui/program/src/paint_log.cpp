#include "paint_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace quillo::ui {

std::optional<PaintLog> PaintLog::fromEnvironment() {
  const char* file = std::getenv("QUILLO_PAINT_LOG");
  if (file == nullptr || *file == '\0') return std::nullopt;
  PaintLog log{std::filesystem::path(file)};
  if (!log.isOpen()) return std::nullopt;
  return log;
}

PaintLog::PaintLog(const std::filesystem::path& file)
    : fd_(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)) {}

PaintLog::~PaintLog() {
  if (fd_ >= 0) ::close(fd_);
}

void PaintLog::painted() const {
  if (fd_ < 0) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::string line =
      std::to_string(static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec) + "\n";
  // One write of a short line with O_APPEND: the reader never sees half of it.
  [[maybe_unused]] const auto written = ::write(fd_, line.data(), line.size());
}

}  // namespace quillo::ui

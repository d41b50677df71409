#pragma once

#include <filesystem>
#include <optional>
#include <utility>

namespace quillo::ui {

// The benchmark mode's record of paints: one line per finished paint of new panel content, the
// CLOCK_MONOTONIC time in nanoseconds, appended unbuffered so that another process (the
// benchmark that pressed the key) reads it at once. Off unless QUILLO_PAINT_LOG names the file.
class PaintLog {
 public:
  // The log the environment asks for; none when QUILLO_PAINT_LOG is unset or the file cannot
  // be opened.
  static std::optional<PaintLog> fromEnvironment();

  explicit PaintLog(const std::filesystem::path& file);
  PaintLog(PaintLog&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  PaintLog& operator=(PaintLog&&) = delete;
  PaintLog(const PaintLog&) = delete;
  ~PaintLog();

  bool isOpen() const { return fd_ >= 0; }
  void painted() const;

 private:
  int fd_ = -1;
};

}  // namespace quillo::ui

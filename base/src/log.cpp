#include "quillo/base/log.h"

#include <cstdio>
#include <mutex>

namespace quillo::base::log {
namespace {

std::string_view levelName(Level level) {
  switch (level) {
    case Level::debug:
      return "debug";
    case Level::info:
      return "info";
    case Level::warning:
      return "warning";
    case Level::error:
      return "error";
  }
  return "";
}

void standardError(Level level, std::string_view category, std::string_view message) {
  fmt::print(stderr, "{} [{}] {}: {}\n", kSubsystem, category, levelName(level), message);
}

std::mutex& sinkMutex() {
  static std::mutex mutex;
  return mutex;
}

Sink& currentSink() {
  static Sink sink = standardError;
  return sink;
}

}  // namespace

void setSink(Sink sink) {
  const std::lock_guard lock(sinkMutex());
  currentSink() = std::move(sink);
}

void resetSink() {
  setSink(standardError);
}

void write(Level level, std::string_view category, std::string_view message) {
  const std::lock_guard lock(sinkMutex());
  currentSink()(level, category, message);
}

}  // namespace quillo::base::log

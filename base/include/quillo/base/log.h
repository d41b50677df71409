#pragma once

#include <fmt/format.h>

#include <functional>
#include <string>
#include <string_view>

// The program's one logging facade: subsystem "dev.tarnwick.quillo", a category per area
// ("ravo", "run", "defaults"), standard error by default. Values that may hold what the user
// typed or copied are wrapped in Private and print as "<private>".
namespace quillo::base::log {

inline constexpr std::string_view kSubsystem = "dev.tarnwick.quillo";

enum class Level { debug, info, warning, error };

// Where log lines go. Replaceable (tests capture lines; the desktop app may add the journal).
using Sink = std::function<void(Level level, std::string_view category, std::string_view message)>;
void setSink(Sink sink);
// Restores the standard-error sink.
void resetSink();

void write(Level level, std::string_view category, std::string_view message);

// A value kept out of the log.
template <class T>
struct Private {
  const T& value;
};

class Logger {
 public:
  explicit constexpr Logger(std::string_view category) : category_(category) {}

  template <class... Args>
  void info(fmt::format_string<Args...> format, Args&&... args) const {
    write(Level::info, category_, fmt::format(format, std::forward<Args>(args)...));
  }
  template <class... Args>
  void warning(fmt::format_string<Args...> format, Args&&... args) const {
    write(Level::warning, category_, fmt::format(format, std::forward<Args>(args)...));
  }
  template <class... Args>
  void error(fmt::format_string<Args...> format, Args&&... args) const {
    write(Level::error, category_, fmt::format(format, std::forward<Args>(args)...));
  }

 private:
  std::string_view category_;
};

}  // namespace quillo::base::log

template <class T>
struct fmt::formatter<quillo::base::log::Private<T>> : fmt::formatter<std::string_view> {
  template <class Context>
  auto format(const quillo::base::log::Private<T>&, Context& context) const {
    return fmt::formatter<std::string_view>::format("<private>", context);
  }
};

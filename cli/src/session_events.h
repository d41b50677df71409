#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillo::cli {

// A line of `quillo-cli session` input that is not an event; what() says why.
class SessionEventError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One step of a scripted launcher session.
struct SessionEvent {
  enum class Type { query, tab, open, close, down, up, run, wait };

  // When it happens, counted from the start of the session.
  std::chrono::milliseconds at{0};
  Type type = Type::wait;
  // The field's text (query).
  std::string text;
  // Return with a modifier (run).
  bool alternate = false;
  // The bundle id of the application in front, and the file of its saved accessibility tree (open).
  std::optional<std::string> frontApp;
  std::optional<std::string> menuTree;

  bool operator==(const SessionEvent&) const = default;
};

// The event of one JSON line: {"at": ms, "type": "query", "text": "..."}, "tab", "open" (with
// optional "frontApp" and "menuTree"), "close", "down", "up", "run" (with optional
// "alternate") or "wait". "at" defaults to 0. Throws SessionEventError.
SessionEvent parseSessionEvent(std::string_view line);

}  // namespace quillo::cli

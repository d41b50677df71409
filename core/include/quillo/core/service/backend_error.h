#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillo::core {

// An answer the ranking service gave, or could not give, instead of a result; and arguments the
// client refuses. what() is the message the launcher shows, chosen by `code` alone.
class BackendError : public std::runtime_error {
 public:
  // The client's own codes; the service sends others ("rate_limited", "busy", ...).
  static constexpr std::string_view unavailable = "unavailable";
  static constexpr std::string_view notConfigured = "not_configured";
  static constexpr std::string_view invalidRequest = "invalid_request";

  explicit BackendError(std::string code, std::optional<double> retryAfter = std::nullopt);

  const std::string& code() const noexcept { return code_; }
  // Seconds the service asked to wait before asking again.
  std::optional<double> retryAfter() const noexcept { return retryAfter_; }

  static std::string_view message(std::string_view code);
  // Seconds from a "Retry-After" value: only a whole decimal number (no blanks, no unit, no
  // date) that is finite and not below zero counts.
  static std::optional<double> retryAfterSeconds(const std::optional<std::string>& value);

 private:
  std::string code_;
  std::optional<double> retryAfter_;
};

}  // namespace quillo::core

#include "quillo/core/service/backend_error.h"

#include <charconv>
#include <cmath>

namespace quillo::core {

BackendError::BackendError(std::string code, std::optional<double> retryAfter)
    : std::runtime_error(std::string(message(code))), code_(std::move(code)), retryAfter_(retryAfter) {}

std::string_view BackendError::message(std::string_view code) {
  if (code == "capacity_exceeded" || code == "capacity_rate_limited")
    return "Ravo is busy. Try again shortly.";
  if (code == "rate_limited" || code == "busy") return "Too many requests. Try again shortly.";
  if (code == notConfigured) return "The Quillo service address has not been configured.";
  return "Quillo could not reach its service. Try again shortly.";
}

std::optional<double> BackendError::retryAfterSeconds(const std::optional<std::string>& value) {
  if (!value || value->empty()) return std::nullopt;
  double seconds = 0;
  const char* end = value->data() + value->size();
  const auto [stop, error] = std::from_chars(value->data(), end, seconds);
  if (error != std::errc() || stop != end || !std::isfinite(seconds) || seconds < 0) return std::nullopt;
  return seconds;
}

}  // namespace quillo::core

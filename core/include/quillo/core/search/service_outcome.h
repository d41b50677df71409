#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quillo/core/ranking/semantic_result.h"

namespace quillo::core {

// What became of the ranking service for one search.
enum class ServiceState {
  off,       // no usable service is configured
  idle,      // the query was not worth asking
  answered,  // the service answered
  failed,    // asking failed; the message says why
};

std::string_view rawValue(ServiceState state);
std::optional<ServiceState> serviceStateFromRaw(std::string_view raw);

struct ServiceOutcome {
  ServiceState state = ServiceState::off;
  // Why the service is off or what failed; none otherwise.
  std::optional<std::string> message;
  // The service's answer (answered only).
  std::optional<SemanticResult> result;

  static ServiceOutcome idle() {
    return {.state = ServiceState::idle, .message = std::nullopt, .result = std::nullopt};
  }
  static ServiceOutcome answered(SemanticResult result) {
    return {.state = ServiceState::answered, .message = std::nullopt, .result = std::move(result)};
  }
  static ServiceOutcome failed(std::string message) {
    return {.state = ServiceState::failed, .message = std::move(message), .result = std::nullopt};
  }
};

}  // namespace quillo::core

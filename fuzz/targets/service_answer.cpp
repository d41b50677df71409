#include <nlohmann/json.hpp>

#include "../fuzz_target.h"
#include "quillo/core/files/file_search_interpretation.h"
#include "quillo/core/json/decoding_error.h"
#include "quillo/core/service/backend_answer.h"

// A ranking service's answer body: decoded whole, or refused with DecodingError, as the client
// reads it.
QUILLO_FUZZ_TARGET(service_answer) {
  using namespace quillo::core;
  const nlohmann::json json = nlohmann::json::parse(quillo::fuzz::text(data, size), nullptr, false);
  if (json.is_discarded()) return 0;
  try {
    const auto answer = json.get<BackendAnswer>();
    quillo::fuzz::require(nlohmann::json(answer).get<BackendAnswer>() == answer,
                          "an answer re-encodes to itself");
  } catch (const DecodingError&) {
  } catch (const nlohmann::json::exception&) {
  }
  try {
    const auto interpretation = json.get<FileSearchInterpretation>();
    validationFailure(interpretation);
    interpretation.allocations(50);
  } catch (const DecodingError&) {
  } catch (const nlohmann::json::exception&) {
  }
  return 0;
}

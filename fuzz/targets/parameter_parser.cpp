#include "quillo/core/values/parameter_parser.h"

#include "../fuzz_target.h"

// What a user types into the launcher: the parser never fails.
QUILLO_FUZZ_TARGET(parameter_parser) {
  quillo::core::ParameterParser::parse(quillo::fuzz::text(data, size));
  return 0;
}

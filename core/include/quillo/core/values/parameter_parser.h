#pragma once

#include <string_view>

#include "quillo/core/values/parsed_query.h"

namespace quillo::core {

// Reads the values a user typed around an action's name ("volume 20%", "keep awake until
// 4:30 pm", "screenshot in 5 seconds", "dark mode on") and keeps the other words, as typed, as
// the remainder. English only. Pure and stateless: it never fails, and text it cannot read stays
// in the remainder. Safe from any thread.
namespace ParameterParser {

ParsedQuery parse(std::string_view text);

}  // namespace ParameterParser

}  // namespace quillo::core

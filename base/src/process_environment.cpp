#include "quillo/base/process_environment.h"

#include <unistd.h>

#include <string_view>

namespace quillo::base {

std::map<std::string, std::string> processEnvironment() {
  std::map<std::string, std::string> variables;
  for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    const auto equals = text.find('=');
    if (equals != std::string_view::npos) variables.emplace(text.substr(0, equals), text.substr(equals + 1));
  }
  return variables;
}

}  // namespace quillo::base

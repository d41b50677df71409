#include "quillo/testing/fake_system.h"

namespace quillo::testing {

std::optional<std::string> FakeSystem::environment(std::string_view name) const {
  const auto found = variables.find(name);
  if (found == variables.end()) return std::nullopt;
  return found->second;
}

}  // namespace quillo::testing

#pragma once

#include <string>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/core/ranking/semantic_result.h"

namespace quillo::core::test_support {

// The titles of commands, or of the commands of hits, in order.
inline std::vector<std::string> titles(const std::vector<Command>& commands) {
  std::vector<std::string> result;
  for (const Command& command : commands)
    result.push_back(command.title);
  return result;
}

template <class Hit>
requires requires(const Hit& hit) {
  hit.command.title;
}
std::vector<std::string> titles(const std::vector<Hit>& hits) {
  std::vector<std::string> result;
  for (const Hit& hit : hits)
    result.push_back(hit.command.title);
  return result;
}

}  // namespace quillo::core::test_support

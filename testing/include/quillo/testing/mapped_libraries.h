#pragma once

#include <fstream>
#include <string>
#include <string_view>

namespace quillo::testing {

// Whether a file whose path holds `library` is mapped into this process now: a library loaded on
// first use must not be mapped before it.
inline bool isMapped(std::string_view library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(library) != std::string::npos) return true;
  }
  return false;
}

}  // namespace quillo::testing

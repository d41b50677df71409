#include <cstdio>
#include <cstdlib>

#include "fuzz_target.h"

namespace quillo::fuzz {

void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  std::abort();
}

}  // namespace quillo::fuzz

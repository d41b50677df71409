#include "quillo/base/memory.h"

#include <malloc.h>

namespace quillo::base {

void releaseFreedMemory() noexcept {
  // Zero keeps no spare room at the top of the heap; every arena's free pages go, not only
  // those at its end.
  malloc_trim(0);
}

}  // namespace quillo::base

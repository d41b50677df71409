#include "quillo/base/memory.h"

#include <malloc.h>

namespace quillo::base {

void releaseFreedMemory() noexcept {
  // Zero keeps no spare room at the top of the heap; every arena's free pages go, not only
  // those at its end. Not under a sanitizer: its allocator holds the memory, and glibc's, never
  // used, is set up by a first trim without a lock, which two threads trimming at once crash in.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  malloc_trim(0);
#endif
}

}  // namespace quillo::base

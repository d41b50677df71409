#pragma once

namespace quillo::base {

// Hands the heap's free pages back to the system. The allocator keeps what a big one-off build
// freed (read buffers, temporary tables, the arenas of the threads that did the work) for reuse,
// so a long-running process would go on holding its peak; call this once such a build is done.
void releaseFreedMemory() noexcept;

}  // namespace quillo::base

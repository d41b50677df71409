#pragma once

namespace quillo::platform::posix {

// Ends this process with `status` at once, running no destructor or exit handler. Giving back a
// large process's memory takes milliseconds after its last instruction, and whoever waits for
// the process (a shell) waits for that too: here a helper process that shares the memory holds
// it until this one has ended, then ends itself and gives it back. The helper keeps none of this
// process's descriptors, so a reader of its pipes sees their end when it ends.
[[noreturn]] void endProcessNow(int status);

// Whether endProcessNow leaves the memory to a helper: not in a sanitizer build, whose run-time
// cannot follow a second process running in the same memory.
bool endingLeavesMemoryToHelper();

}  // namespace quillo::platform::posix

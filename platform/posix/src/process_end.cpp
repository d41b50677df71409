#include "quillo/platform/posix/process_end.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <csignal>

namespace quillo::platform::posix {
namespace {

// The helper's whole state. It runs without the C library's state of its own (its thread
// pointer is its creator's), so it makes raw system calls only, on a stack of its own.
int helperReadEnd = -1;
alignas(64) char helperStack[64 * 1024];

// Keeps no descriptor but the pipe's read end, which reads its end once the creator has ended
// (its write end closes then, after its memory was left to this process), and ends.
[[gnu::noinline]] int holdMemoryUntilCreatorEnds(void*) {
  const int readEnd = helperReadEnd;
  if (readEnd > 0) ::syscall(SYS_close_range, 0U, static_cast<unsigned>(readEnd - 1), 0U);
  ::syscall(SYS_close_range, static_cast<unsigned>(readEnd + 1), UINT_MAX, 0U);
  char byte;
  while (::syscall(SYS_read, readEnd, &byte, 1) > 0) {
  }
  ::syscall(SYS_exit_group, 0);
  return 0;
}

}  // namespace

bool endingLeavesMemoryToHelper() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return false;
#elif defined(__has_feature)
  return !(__has_feature(address_sanitizer) || __has_feature(thread_sanitizer));
#else
  return true;
#endif
}

void endProcessNow(int status) {
  if (endingLeavesMemoryToHelper()) {
    // The helper starts with this thread's signal mask: no handler of this process ever runs
    // on its stack.
    sigset_t all;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, nullptr);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
      helperReadEnd = ends[0];
      // Without a helper the process still ends, only later.
      (void)::clone(holdMemoryUntilCreatorEnds, helperStack + sizeof helperStack,
                    CLONE_VM | CLONE_UNTRACED | SIGCHLD, nullptr);
    }
  }
  ::_exit(status);
}

}  // namespace quillo::platform::posix

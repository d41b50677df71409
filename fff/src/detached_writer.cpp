#include "detached_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "unique_fd.h"

namespace fff {
namespace {

constexpr int kLowestPriority = 19;

// In the writer: nothing of the parent's stays open, and the terminal's signals do not reach it.
void detach() {
  ::setsid();
  const int nowhere = ::open("/dev/null", O_RDWR);
  if (nowhere >= 0)
    for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard)
      ::dup2(nowhere, standard);
  ::close_range(STDERR_FILENO + 1, ~0U, 0);
  ::setpriority(PRIO_PROCESS, 0, kLowestPriority);
}

[[noreturn]] void runWriter(const std::string& lockPath, const std::function<void()>& write) {
  detach();
  const UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.valid() && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0) {
    try {
      write();
    } catch (...) {
      // A cache that cannot be written costs the next run a scan, nothing more.
    }
  }
  // No exit handlers, no flushing: they belong to the parent, whose copies these are.
  ::_exit(0);
}

}  // namespace

// Forked twice, so that the writer is nobody's child here: a caller that lives on (a test, a
// program with several indexes) is left no process to wait for.
bool writeDetached(const std::string& lockPath, const std::function<void()>& write, Caller caller) {
  // Each fork copies the page tables of a process holding a large index (milliseconds): a caller
  // about to end forks once, and its child passes to init when it ends.
  if (caller == Caller::endsNow) {
    const pid_t writer = ::fork();
    if (writer == 0) runWriter(lockPath, write);
    return writer > 0;
  }
  const pid_t middle = ::fork();
  if (middle < 0) return false;
  if (middle == 0) {
    const pid_t writer = ::fork();
    if (writer == 0) runWriter(lockPath, write);
    ::_exit(writer < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace fff

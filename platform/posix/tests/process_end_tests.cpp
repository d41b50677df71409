#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "quillo/platform/posix/process_end.h"

namespace quillo::platform::posix {
namespace {

// What a subreaper of the helper program saw, as its exit status: 0 when the program ended with
// status 3 and exactly `helpers` orphans were left, each of which ended by itself with status 0.
constexpr int kWrongStatus = 10;
constexpr int kHelperFailed = 11;
constexpr int kWrongHelpers = 12;

// Runs in a child of the test (only calls a forked child of a threaded process may make): it
// adopts whatever the program leaves behind.
[[noreturn]] void watchProgram(int helpers) {
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  ::alarm(30);  // a helper that never ends fails the test rather than hang it
  const pid_t program = ::fork();
  if (program == 0) {
    const char* const arguments[] = {QUILLO_ENDING_HELPER, "3", nullptr};
    ::execv(arguments[0], const_cast<char* const*>(arguments));
    ::_exit(127);
  }
  int status = 0;
  if (program < 0 || ::waitpid(program, &status, 0) != program || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 3)
    ::_exit(kWrongStatus);
  int orphans = 0;
  for (pid_t orphan; (orphan = ::waitpid(-1, &status, 0)) > 0 || errno == EINTR;) {
    if (orphan < 0) continue;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ::_exit(kHelperFailed);
    ++orphans;
  }
  ::_exit(orphans == helpers ? 0 : kWrongHelpers);
}

TEST(ProcessEnd, TheStatusIsReportedAndTheHelperHoldingTheMemoryEndsByItself) {
  const int helpers = endingLeavesMemoryToHelper() ? 1 : 0;
  const pid_t watcher = ::fork();
  ASSERT_GE(watcher, 0);
  if (watcher == 0) watchProgram(helpers);
  int status = 0;
  ASSERT_EQ(::waitpid(watcher, &status, 0), watcher);
  ASSERT_TRUE(WIFEXITED(status)) << "the watcher was killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quillo::platform::posix

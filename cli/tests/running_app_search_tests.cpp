#include <gtest/gtest.h>

#include <cstdlib>

#include "quillo/gio/gio_library.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/mapped_libraries.h"
#include "quillo/testing/temporary_folder.h"
#include "running_app_search.h"

namespace quillo::cli {
namespace {

using quillo::testing::isMapped;

// Asks with nobody holding the program's lock, then holding it: 0 when only the second loaded
// the bus client.
int busAskedOnlyUnderTheLock() {
  quillo::testing::TemporaryFolder runtime;
  quillo::testing::FakeSystem system;
  system.variables = {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (runtime / "no-bus").string()},
                      {"XDG_RUNTIME_DIR", runtime.path().string()}};
  platform::posix::PosixFileSystem files;
  const bool unheldSkipped =
      !runningAppFileSearch("report", 8, {"/srv"}, system, files) && !isMapped(gio::kLibraryName);
  const auto lock = files.lockShared(*app::fileSearchLockPath(system));
  const bool heldAsked =
      !runningAppFileSearch("report", 8, {"/srv"}, system, files) && isMapped(gio::kLibraryName);
  return unheldSkipped && heldAsked ? 0 : 1;
}

// The bus client (GLib and a connection) is loaded only when the program holds its lock file:
// a session without the program running searches at once. In a fresh process, so that earlier
// tests have loaded nothing.
TEST(RunningAppFileSearch, TheBusIsAskedOnlyWhileTheProgramHoldsItsLock) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(busAskedOnlyUnderTheLock()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quillo::cli

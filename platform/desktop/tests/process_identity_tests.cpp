#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <fstream>

#include "quillo/platform/desktop/process_identity.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::desktop {
namespace {

TEST(ProcessIdentity, AProcessIsKnownByItsProgramsFileName) {
  EXPECT_EQ(identifyProcess(getpid()).executable, "quillo-platform-desktop-tests");
}

// Starts `sleep` with the launcher's note in its environment, naming the process `noted`
// ("self" for the process itself).
ProcessIdentity identityOfLaunched(const std::string& noted) {
  QProcess process;
  process.start("sh",
                {"-c", QString::fromStdString(
                           "GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/org.example.Editor.desktop "
                           "GIO_LAUNCHED_DESKTOP_FILE_PID=" +
                           (noted == "self" ? std::string("$$") : noted) + " exec sleep 30")});
  EXPECT_TRUE(process.waitForStarted(5000));
  // The shell has replaced itself with sleep once its program's name says so.
  ProcessIdentity identity;
  for (int attempt = 0; attempt < 200 && identity.executable != "sleep"; ++attempt) {
    identity = identifyProcess(static_cast<ProcessID>(process.processId()));
    usleep(10'000);
  }
  process.kill();
  process.waitForFinished(5000);
  return identity;
}

TEST(ProcessIdentity, TheLaunchersNoteNamesTheDesktopEntryOfTheProcessItWasWrittenFor) {
  EXPECT_EQ(identityOfLaunched("self").desktopFileId, "org.example.Editor");
}

TEST(ProcessIdentity, ALaunchersNoteInheritedFromAnotherProcessSaysNothing) {
  EXPECT_EQ(identityOfLaunched("1").desktopFileId, "");
}

TEST(ProcessIdentity, TheSessionsApplicationScopeNamesTheDesktopEntryOfTheProcessItWasMadeFor) {
  EXPECT_EQ(desktopFileIdOfScope("app-gnome-org.gnome.Terminal-4242.scope", 4242), "org.gnome.Terminal");
  EXPECT_EQ(desktopFileIdOfScope("app-org.kde.konsole-4242.scope", 4242), "org.kde.konsole");
  EXPECT_EQ(desktopFileIdOfScope("app-gnome-firefox\\x2desr-4242.scope", 4242), "firefox-esr");
}

TEST(ProcessIdentity, AScopeMadeForAnotherProcessOrNoApplicationSaysNothing) {
  EXPECT_EQ(desktopFileIdOfScope("app-gnome-org.gnome.Terminal-4242.scope", 4343), "");
  EXPECT_EQ(desktopFileIdOfScope("session-2.scope", 4242), "");
  EXPECT_EQ(desktopFileIdOfScope("app-org.kde.konsole@0f3c.service", 4242), "");
}

TEST(ProcessIdentity, AProcessThatIsGoneHasNoIdentity) {
  testing::TemporaryFolder folder;
  EXPECT_EQ(identifyProcess(4242, folder.path()), (ProcessIdentity{4242}));
}

}  // namespace
}  // namespace quillo::platform::desktop

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "quillo/app/shell/autostart_entry.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::app {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct AutostartEntryTest : ::testing::Test {
  testing::TemporaryFolder folder;
  platform::posix::PosixFileSystem files;
  testing::FakeSystem system = [this] {
    testing::FakeSystem linux;
    linux.macOS = false;
    linux.home = (folder / "home").string();
    linux.variables["XDG_CONFIG_HOME"] = (folder / "config").string();
    return linux;
  }();
  AutostartEntry entry{files, system, "/usr/bin/quillo"};
  fs::path written = folder / "config" / "autostart" / "dev.tarnwick.Quillo.desktop";
};

TEST_F(AutostartEntryTest, TurningOnWritesAnEntryThatStartsTheInstalledProgram) {
  EXPECT_FALSE(entry.isEnabled());
  entry.setEnabled(true);
  EXPECT_TRUE(entry.isEnabled());
  const std::string text = slurp(written);
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=/usr/bin/quillo\n"), std::string::npos);
  EXPECT_NE(text.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);
}

TEST_F(AutostartEntryTest, TurningOffRemovesTheEntry) {
  entry.setEnabled(true);
  entry.setEnabled(false);
  EXPECT_FALSE(fs::exists(written));
  EXPECT_FALSE(entry.isEnabled());
  // Already off: nothing to do, and no complaint.
  EXPECT_NO_THROW(entry.setEnabled(false));
}

TEST_F(AutostartEntryTest, WithoutAConfigHomeTheEntryGoesUnderTheHomeFolder) {
  system.variables.erase("XDG_CONFIG_HOME");
  entry.setEnabled(true);
  EXPECT_TRUE(fs::exists(folder / "home" / ".config" / "autostart" / "dev.tarnwick.Quillo.desktop"));
}

TEST_F(AutostartEntryTest, AnEntrySwitchedOffInTheDesktopsSettingsCountsAsOff) {
  entry.setEnabled(true);
  testing::writeFile(written, slurp(written) + "X-GNOME-Autostart-enabled=false\n");
  EXPECT_FALSE(entry.isEnabled());
  testing::writeFile(written, "[Desktop Entry]\nType=Application\nExec=/usr/bin/quillo\nHidden=true\n");
  EXPECT_FALSE(entry.isEnabled());
  // The same keys in another group say nothing about the entry.
  testing::writeFile(written, "[Desktop Entry]\nExec=quillo\n[Desktop Action x]\nHidden=true\n");
  EXPECT_TRUE(entry.isEnabled());
}

TEST_F(AutostartEntryTest, APathWithSpacesIsQuotedSoTheDesktopStartsTheWholePath) {
  AutostartEntry spaced(files, system, "/opt/My Apps/quillo");
  spaced.setEnabled(true);
  EXPECT_NE(slurp(written).find("\nExec=\"/opt/My Apps/quillo\"\n"), std::string::npos);
  EXPECT_EQ(execArgument("/opt/a$b/quillo"), "\"/opt/a\\\\$b/quillo\"");
}

TEST_F(AutostartEntryTest, AFolderThatCannotBeMadeSaysWhyAndLeavesItOff) {
  // A file where the autostart folder should be.
  testing::writeFile(folder / "config" / "autostart", "not a folder");
  try {
    entry.setEnabled(true);
    FAIL() << "turning on should have failed";
  } catch (const AutostartError& failure) {
    EXPECT_EQ(std::string(failure.what()).rfind("Quillo couldn’t turn on starting at login: ", 0), 0u)
        << failure.what();
  }
  EXPECT_FALSE(entry.isEnabled());
}

}  // namespace
}  // namespace quillo::app

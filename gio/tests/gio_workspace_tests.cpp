#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "quillo/gio/gio_library.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::gio {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;
using testing::writeFile;

// The launched application writes the file in the background; it is complete once renamed.
std::optional<std::string> awaitFile(const fs::path& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (fs::exists(path)) {
      std::ifstream file(path);
      std::stringstream text;
      text << file.rdbuf();
      return text.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

// An Exec line that writes `command`'s output to `marker`, whole or not at all.
std::string writing(const std::string& command, const fs::path& marker) {
  return "/bin/sh -c \"" + command + " > '" + marker.string() + ".part' && mv '" + marker.string() +
         ".part' '" + marker.string() + "'\"";
}

class GioWorkspace : public ::testing::Test {
 protected:
  std::unique_ptr<platform::Workspace> workspace(std::map<std::string, std::string> environment = {}) {
    return makeWorkspace({.folders = {entries_.path()}, .environment = std::move(environment)});
  }

  TemporaryFolder entries_;
  TemporaryFolder output_;
};

TEST_F(GioWorkspace, OpensAnApplicationByItsDesktopFileId) {
  writeFile(entries_ / "org.example.Marker.desktop", "[Desktop Entry]\nType=Application\nName=Marker\nExec=" +
                                                         writing("echo opened", output_ / "marker") + "\n");
  workspace()->openApplication("org.example.Marker");
  EXPECT_EQ(awaitFile(output_ / "marker"), "opened\n");
}

TEST_F(GioWorkspace, OpensAnApplicationByItsEntryPath) {
  writeFile(entries_ / "marker.desktop", "[Desktop Entry]\nType=Application\nName=Marker\nExec=" +
                                             writing("echo opened", output_ / "marker") + "\n");
  workspace()->openApplication((entries_ / "marker.desktop").string());
  EXPECT_EQ(awaitFile(output_ / "marker"), "opened\n");
}

TEST_F(GioWorkspace, RunsAnActionOfTheEntry) {
  writeFile(entries_ / "marker.desktop",
            "[Desktop Entry]\nType=Application\nName=Marker\nExec=/bin/true\n"
            "Actions=second;\n\n[Desktop Action second]\nName=Second\nExec=" +
                writing("echo second", output_ / "marker") + "\n");
  workspace()->openApplicationAction("marker", "second");
  EXPECT_EQ(awaitFile(output_ / "marker"), "second\n");
}

TEST_F(GioWorkspace, ApplicationsGetTheSessionsEnvironmentWithoutTheLaunchersOwn) {
  writeFile(entries_ / "env.desktop",
            "[Desktop Entry]\nType=Application\nName=Env\nExec=" + writing("env", output_ / "env") + "\n");
  workspace({{"PATH", "/usr/bin:/bin"}, {"QUILLO_TEST_SESSION", "yes"}, {"REDIZEDA_API_KEY", "secret"}})
      ->openApplication("env");
  const auto environment = awaitFile(output_ / "env");
  ASSERT_TRUE(environment);
  EXPECT_NE(environment->find("QUILLO_TEST_SESSION=yes\n"), std::string::npos);
  EXPECT_EQ(environment->find("REDIZEDA_API_KEY"), std::string::npos);
}

TEST_F(GioWorkspace, StartupNotifyingEntriesGetTheActivationToken) {
  writeFile(entries_ / "env.desktop",
            "[Desktop Entry]\nType=Application\nName=Env\nStartupNotify=true\nExec=" +
                writing("env", output_ / "env") + "\n");
  makeWorkspace(
      {.folders = {entries_.path()}, .activationToken = [] { return std::optional<std::string>("t-42"); }})
      ->openApplication("env");
  const auto environment = awaitFile(output_ / "env");
  ASSERT_TRUE(environment);
  EXPECT_NE(environment->find("XDG_ACTIVATION_TOKEN=t-42\n"), std::string::npos);
}

TEST_F(GioWorkspace, FieldCodesAreExpandedAsTheDesktopDoes) {
  writeFile(entries_ / "codes.desktop", "[Desktop Entry]\nType=Application\nName=Codes\nExec=" +
                                            writing("echo %c %k", output_ / "marker") + "\n");
  workspace()->openApplication("codes");
  EXPECT_EQ(awaitFile(output_ / "marker"), "Codes " + (entries_ / "codes.desktop").string() + "\n");
}

// Sets an environment variable of this process for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(GioWorkspace, TerminalEntriesRunInATerminal) {
  // A stand-in terminal records what it was asked to run. GIO looks for terminals on our own PATH.
  TemporaryFolder bin;
  writeFile(bin / "xterm", "#!/bin/sh\necho \"$@\" > '" + (output_ / "terminal.part").string() + "' && mv '" +
                               (output_ / "terminal.part").string() + "' '" +
                               (output_ / "terminal").string() + "'\n");
  fs::permissions(bin / "xterm", fs::perms::owner_all);
  writeFile(entries_ / "top.desktop",
            "[Desktop Entry]\nType=Application\nName=Top\nExec=/bin/true top\nTerminal=true\n");
  const ScopedVariable path("PATH", bin.path().string() + ":/usr/bin:/bin");
  workspace()->openApplication("top");
  const auto arguments = awaitFile(output_ / "terminal");
  ASSERT_TRUE(arguments);
  EXPECT_NE(arguments->find("/bin/true top"), std::string::npos);
}

TEST_F(GioWorkspace, UnknownApplicationIsRefused) {
  EXPECT_THROW(workspace()->openApplication("org.example.Missing"), platform::WorkspaceError);
}

TEST_F(GioWorkspace, UnknownActionIsRefused) {
  writeFile(entries_ / "plain.desktop", "[Desktop Entry]\nType=Application\nName=Plain\nExec=/bin/true\n");
  EXPECT_THROW(workspace()->openApplicationAction("plain", "missing"), platform::WorkspaceError);
}

}  // namespace
}  // namespace quillo::gio

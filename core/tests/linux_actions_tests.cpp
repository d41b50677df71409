#include <gtest/gtest.h>
#include <sys/stat.h>

#include "quillo/core/actions/process_calls.h"
#include "quillo/core/index/catalog.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

using test_support::disk;

// A folder of executables standing in for the system's tools: tests give it as the PATH.
class ToolFolder {
 public:
  std::string add(std::string_view name, bool executable = true) {
    const fs::path path = folder_ / name;
    testing::writeFile(path, "#!/bin/sh\n");
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path.string();
  }
  LinuxTools tools(LinuxSession session = {}) const {
    return LinuxTools::find(session, pathLookup(disk, folder_.path().string()));
  }
  std::string path() const { return folder_.path().string(); }

 private:
  TemporaryFolder folder_;
};

const Command* find(const std::vector<Command>& commands, std::string_view id) {
  for (const Command& command : commands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

std::vector<Command> actions(const LinuxTools& tools) {
  return Catalog::linuxActionsTable(tools, ProcessCalls::linuxDesktop(tools),
                                    Catalog::UserFolders::inHome("/home/ann"));
}

TEST(ToolLookup, TakesTheFirstExecutableFileOnThePath) {
  ToolFolder first;
  ToolFolder second;
  first.add("pactl", false);
  const std::string found = second.add("pactl");
  const ToolLookup lookup = pathLookup(disk, "relative:" + first.path() + ":" + second.path());
  EXPECT_EQ(lookup("pactl"), found);
  EXPECT_EQ(lookup("wpctl"), std::nullopt);
}

TEST(LinuxSession, ReadsTheDesktopAndTheSessionType) {
  testing::FakeSystem system;
  EXPECT_EQ(LinuxSession::of(system), (LinuxSession{LinuxDesktop::gnome, false}));
  system.variables = {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}, {"XDG_SESSION_TYPE", "wayland"}};
  EXPECT_EQ(LinuxSession::of(system), (LinuxSession{LinuxDesktop::gnome, true}));
  system.variables = {{"XDG_CURRENT_DESKTOP", "KDE"}, {"XDG_SESSION_TYPE", "x11"}};
  EXPECT_EQ(LinuxSession::of(system).desktop, LinuxDesktop::kde);
  system.variables = {{"XDG_CURRENT_DESKTOP", "XFCE"}};
  EXPECT_EQ(LinuxSession::of(system).desktop, LinuxDesktop::other);
}

TEST(LinuxActions, ActionsWhoseToolIsMissingAreNotOffered) {
  const ToolFolder none;
  std::vector<std::string> ids;
  for (const Command& command : actions(none.tools()))
    ids.push_back(command.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"action.Stop Keeping Awake", "action.Open Downloads",
                                           "action.Open Documents", "action.Open Desktop Folder",
                                           "action.Open Home Folder"}));
}

TEST(LinuxActions, PresentToolsRunAsShellLinesWithTheirTitles) {
  ToolFolder folder;
  const std::string loginctl = folder.add("loginctl");
  const std::string pactl = folder.add("pactl");
  const auto offered = actions(folder.tools());
  const Command* lock = find(offered, "action.Lock Screen");
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(lock->title, "Lock Screen");
  EXPECT_EQ(lock->target, Command::Target(target::Shell{loginctl + " lock-session"}));
  const Command* mute = find(offered, "action.Toggle Mute");
  ASSERT_NE(mute, nullptr);
  EXPECT_EQ(mute->target, Command::Target(target::Shell{pactl + " set-sink-mute @DEFAULT_SINK@ toggle"}));
  EXPECT_NE(find(offered, "action.Set Volume"), nullptr);
}

TEST(LinuxActions, TextsThatNameTheMacNameTheComputerAndKeepTheirIds) {
  ToolFolder folder;
  for (const char* tool : {"loginctl", "systemctl", "systemd-inhibit", "sleep"})
    folder.add(tool);
  const auto offered = actions(folder.tools());
  const Command* lock = find(offered, "action.Lock Screen");
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(lock->hint,
            "Lock the computer now and show the login screen, so that a password is needed to come back");
  const Command* awake = find(offered, "action.Keep Mac Awake, Let Display Sleep");
  ASSERT_NE(awake, nullptr);
  EXPECT_EQ(awake->title, "Keep Computer Awake, Let Display Sleep");
  for (const Command& command : offered) {
    EXPECT_EQ(command.title.find("Mac"), std::string::npos) << command.id;
    EXPECT_EQ(command.hint.find("Mac"), std::string::npos) << command.id;
  }
}

TEST(LinuxActions, AlertVolumeAndTheApplicationsFolderHaveNoCounterpart) {
  ToolFolder folder;
  for (const char* tool : {"pactl", "loginctl", "systemctl", "xset", "gdbus", "systemd-inhibit", "sleep",
                           "gnome-screenshot", "xdg-screensaver"})
    folder.add(tool);
  const auto offered = actions(folder.tools());
  EXPECT_EQ(offered.size(), 20u);
  EXPECT_EQ(find(offered, "action.Set Alert Volume"), nullptr);
  EXPECT_EQ(find(offered, "action.applications"), nullptr);
}

TEST(LinuxActions, FolderActionsOpenTheUsersFolders) {
  const ToolFolder none;
  Catalog::UserFolders folders = Catalog::UserFolders::inHome("/home/ann");
  folders.downloads = "/home/ann/Téléchargements";
  const auto offered =
      Catalog::linuxActionsTable(none.tools(), ProcessCalls::linuxDesktop(none.tools()), folders);
  EXPECT_EQ(find(offered, "action.Open Downloads")->target,
            Command::Target(target::OpenUrl{base::Url::file("/home/ann/Téléchargements")}));
}

TEST(LinuxProcessCalls, OutputVolumeUnmutesUnlessZero) {
  ToolFolder folder;
  const std::string pactl = folder.add("pactl");
  const ProcessCalls calls = ProcessCalls::linuxDesktop(folder.tools());
  EXPECT_EQ(calls.processCall(invocation::SetVolume{VolumeChannel::output, 20}, {}),
            (ProcessCall{"/bin/sh",
                         {"-c", pactl + " set-sink-volume @DEFAULT_SINK@ 20% && " + pactl +
                                    " set-sink-mute @DEFAULT_SINK@ 0"}}));
  EXPECT_EQ(calls.processCall(invocation::SetVolume{VolumeChannel::output, 0}, {}),
            (ProcessCall{"/bin/sh", {"-c", pactl + " set-sink-volume @DEFAULT_SINK@ 0%"}}));
  EXPECT_EQ(calls.processCall(invocation::SetVolume{VolumeChannel::input, 40}, {}),
            (ProcessCall{"/bin/sh", {"-c", pactl + " set-source-volume @DEFAULT_SOURCE@ 40%"}}));
}

TEST(LinuxProcessCalls, WireplumberServesWhenPulseAudiosToolIsMissing) {
  ToolFolder folder;
  const std::string wpctl = folder.add("wpctl");
  EXPECT_EQ(ProcessCalls::linuxDesktop(folder.tools())
                .processCall(invocation::SetVolume{VolumeChannel::input, 5}, {}),
            (ProcessCall{"/bin/sh", {"-c", wpctl + " set-volume @DEFAULT_AUDIO_SOURCE@ 5%"}}));
}

TEST(LinuxProcessCalls, KeepAwakeOnGnomeHoldsTheSessionManagersInhibitor) {
  ToolFolder folder;
  const std::string inhibit = folder.add("gnome-session-inhibit");
  folder.add("systemd-inhibit");
  const std::string sleep = folder.add("sleep");
  const ProcessCalls calls = ProcessCalls::linuxDesktop(folder.tools({LinuxDesktop::gnome, true}));
  EXPECT_EQ(calls.processCall(invocation::KeepAwake{AwakeScope::macAndDisplay, invocation::After{3600}}, {}),
            (ProcessCall{inhibit,
                         {"--app-id", "dev.tarnwick.Quillo", "--reason", "Keep Awake", "--inhibit",
                          "idle:suspend", sleep, "3600"}}));
}

TEST(LinuxProcessCalls, KeepAwakeElsewhereHoldsLogindsInhibitorUntilTheEnd) {
  ToolFolder folder;
  const std::string inhibit = folder.add("systemd-inhibit");
  const std::string sleep = folder.add("sleep");
  const ProcessCalls calls = ProcessCalls::linuxDesktop(folder.tools({LinuxDesktop::kde, false}));
  EXPECT_EQ(calls.processCall(invocation::KeepAwake{AwakeScope::mac, invocation::At{base::Date{1090.2}}},
                              base::Date{1000}),
            (ProcessCall{inhibit,
                         {"--what=sleep", "--who=Quillo", "--why=Keep Awake", "--mode=block", sleep, "91"}}));
  EXPECT_EQ(calls.processCall(invocation::KeepAwake{AwakeScope::mac, invocation::At{base::Date{900}}},
                              base::Date{1000}),
            std::nullopt);
}

TEST(LinuxProcessCalls, ScreenshotsUseTheDesktopsTool) {
  ToolFolder folder;
  const std::string gnome = folder.add("gnome-screenshot");
  const std::string spectacle = folder.add("spectacle");
  const invocation::Screenshot window{ScreenshotMode::window, ScreenshotDestination::file, 5};
  const invocation::Screenshot area{ScreenshotMode::selection, ScreenshotDestination::clipboard, 0};
  const ProcessCalls onGnome = ProcessCalls::linuxDesktop(folder.tools({LinuxDesktop::gnome, false}));
  EXPECT_EQ(onGnome.processCall(window, {}), (ProcessCall{gnome, {"-w", "-d", "5"}}));
  EXPECT_EQ(onGnome.processCall(area, {}), (ProcessCall{gnome, {"-a", "-c"}}));
  const ProcessCalls onKde = ProcessCalls::linuxDesktop(folder.tools({LinuxDesktop::kde, false}));
  EXPECT_EQ(onKde.processCall(window, {}), (ProcessCall{spectacle, {"-b", "-n", "-u", "-d", "5000"}}));
}

TEST(MacProcessCalls, AreTheMacTable) {
  const invocation::SetVolume volume{VolumeChannel::alert, 30};
  EXPECT_EQ(ProcessCalls::macOS().processCall(volume, {}), processCall(volume, {}));
}

TEST(LinuxSettings, PanesOpenTheirGnomePanelAndThoseWithoutOneAreNotOffered) {
  ToolFolder folder;
  const std::string settings = folder.add("gnome-control-center");
  const auto panes = Catalog::linuxSettingsTable(folder.tools());
  const Command* wifi = find(panes, "setting.com.apple.wifi-settings-extension");
  ASSERT_NE(wifi, nullptr);
  EXPECT_EQ(wifi->title, "Wi-Fi");
  EXPECT_EQ(wifi->hint, "Join or forget wireless networks, turn Wi-Fi on or off");
  EXPECT_EQ(wifi->target, Command::Target(target::Shell{settings + " wifi"}));
  EXPECT_EQ(find(panes, "setting.com.apple.Siri-Settings.extension"), nullptr);
  EXPECT_EQ(find(panes, "setting.com.apple.Time-Machine-Settings.extension"), nullptr);
}

TEST(LinuxSettings, KdeOpensSystemSettingsModules) {
  ToolFolder folder;
  const std::string settings = folder.add("systemsettings");
  const auto panes = Catalog::linuxSettingsTable(folder.tools({LinuxDesktop::kde, true}));
  EXPECT_EQ(find(panes, "setting.com.apple.Sound-Settings.extension")->target,
            Command::Target(target::Shell{settings + " kcm_pulseaudio"}));
}

TEST(LinuxSettings, NoPanesWithoutTheSettingsProgram) {
  const ToolFolder none;
  EXPECT_TRUE(Catalog::linuxSettingsTable(none.tools()).empty());
}

}  // namespace
}  // namespace quillo::core

#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::ui::testing {

// A user's session for one test: a home and XDG folders of its own in a temporary folder, with
// one application entry the launcher lists ("Wi-Fi Analyzer").
struct TestHome {
  quillo::testing::TemporaryFolder folder;

  TestHome() {
    for (const char* name : {"home", "config", "data/applications", "cache", "state", "runtime", "system"})
      std::filesystem::create_directories(folder / name);
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    std::ofstream(folder / "data/applications/wifi-analyzer.desktop")
        << "[Desktop Entry]\nType=Application\nName=Wi-Fi Analyzer\nExec=/bin/true\nIcon=network-wireless\n";
  }

  // A preference as the user left it before the program starts.
  void stored(const std::string& key, core::DefaultsValue value) {
    platform::posix::PosixFileSystem files;
    core::FileDefaultsStore(folder / "config/quillo/defaults.plist", files).set(key, std::move(value));
  }

  std::map<std::string, std::string> environment() const {
    return {{"HOME", (folder / "home").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"XDG_DATA_DIRS", (folder / "system").string()},
            {"XDG_CACHE_HOME", (folder / "cache").string()},
            {"XDG_STATE_HOME", (folder / "state").string()},
            {"XDG_RUNTIME_DIR", (folder / "runtime").string()}};
  }
};

// The Qt application that reading State over the bus needs, made once for the test program.
inline void busTestApplication() {
  static int argc = 1;
  static char name[] = "quillo-program-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
}

// Runs the program with `arguments` in `home`'s environment; waits for it to end (or ends it) on
// destruction. Standard output goes to `output` when given.
class ProgramProcess {
 public:
  ProgramProcess(const TestHome& home, const std::vector<std::string>& arguments,
                 std::optional<std::filesystem::path> output = std::nullopt,
                 const std::map<std::string, std::string>& extra = {}) {
    std::fflush(stdout);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      for (const auto& [name, value] : home.environment())
        setenv(name.c_str(), value.c_str(), 1);
      // An empty value removes the variable.
      for (const auto& [name, value] : extra)
        value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
      if (output) {
        const int fd = ::open(output->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
      }
      std::vector<char*> argv{const_cast<char*>(QUILLO_PROGRAM)};
      for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~ProgramProcess() {
    if (!exited_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // The exit status once it ended by itself within `limit`; none when it still runs.
  std::optional<int> wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// The running program's State, read over the session bus; none while nobody answers.
inline std::optional<nlohmann::json> programState() {
  auto call = QDBusMessage::createMethodCall("dev.tarnwick.Quillo", "/dev/tarnwick/Quillo/State",
                                             "dev.tarnwick.Quillo.State", "State");
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  return nlohmann::json::parse(reply.arguments().front().toString().toStdString());
}

// The program answers State and its history watches the clipboard: a copy made from now on is
// recorded, while what was on the clipboard before the history opened is not.
inline bool programReady(const nlohmann::json& state) {
  return state["search"]["query"].is_string() && state["clipboard"]["ready"] == true;
}

// Polls the State until `done` holds for it, for up to `limit`: that State, or none (the last
// State read goes to standard error, to show what was there instead).
inline std::optional<nlohmann::json> stateWhen(const std::function<bool(const nlohmann::json&)>& done,
                                               std::chrono::milliseconds limit = std::chrono::seconds(15)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  std::optional<nlohmann::json> last;
  while (std::chrono::steady_clock::now() < end) {
    last = programState();
    if (last && done(*last)) return last;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fprintf(stderr, "The State never matched; the last one: %s\n", last ? last->dump().c_str() : "none");
  return std::nullopt;
}

}  // namespace quillo::ui::testing

// Reading the menus of another application over the accessibility bus: a Qt and a GTK 3 program
// with about 500 menu items each, the first read on a fresh connection and a read repeated on the
// same one. Run on a test desktop: scripts/with-test-desktop build/release/bench/quillo-bench-menus
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "quillo/core/system/menu_reader.h"
#include "quillo/platform/desktop/atspi_accessibility.h"
#include "quillo/platform/desktop/qt_runtime.h"

extern char** environ;

using quillo::core::MenuReader;
using quillo::platform::desktop::AtspiAccessibility;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 15;

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// A test program with a large menu bar, running until this goes away.
class Program {
 public:
  explicit Program(const char* path) {
    int output[2];
    if (pipe(output) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    char many[] = "--many", count[] = "500";
    char* argv[] = {const_cast<char*>(path), many, count, nullptr};
    if (posix_spawn(&pid_, path, &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    // It prints a line once its window is up.
    char byte = 0;
    while (pid_ != 0 && read(output[0], &byte, 1) == 1 && byte != '\n') {
    }
    close(output[0]);
  }
  ~Program() {
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
};

struct Result {
  std::size_t commands = 0;
  std::vector<double> first, repeated;
};

bool readMenus(const char* toolkit, const char* path, Result& result) {
  Program program(path);
  if (program.pid() == 0) {
    std::fprintf(stderr, "%s: the program did not start\n", toolkit);
    return false;
  }
  {
    // The program registers on the bus a moment after it shows its window.
    AtspiAccessibility accessibility;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!accessibility.applicationElement(program.pid()) && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (int round = 0; round < kRounds; ++round) {
    AtspiAccessibility accessibility;
    const MenuReader reader(accessibility);
    auto start = Clock::now();
    const auto commands = reader.commands(program.pid(), "dev.example.bench");
    result.first.push_back(milliseconds(Clock::now() - start));
    result.commands = commands.size();
    start = Clock::now();
    const auto again = reader.commands(program.pid(), "dev.example.bench");
    result.repeated.push_back(milliseconds(Clock::now() - start));
    if (commands.empty() || again.size() != commands.size()) {
      std::fprintf(stderr, "%s: the reads found %zu and %zu commands\n", toolkit, commands.size(),
                   again.size());
      return false;
    }
  }
  return true;
}

void report(const char* toolkit, Result& result) {
  for (auto* times : {&result.first, &result.repeated})
    std::sort(times->begin(), times->end());
  std::printf(
      "%-5s %4zu commands: first read median %7.1f ms (min %7.1f, max %7.1f); "
      "repeated read median %7.2f ms (min %7.2f, max %7.2f)\n",
      toolkit, result.commands, result.first[kRounds / 2], result.first.front(), result.first.back(),
      result.repeated[kRounds / 2], result.repeated.front(), result.repeated.back());
}

}  // namespace

int main() {
  const quillo::platform::desktop::QtRuntime qt;
  // Qt programs publish their menus when asked to, whatever the session's switch says.
  setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
  AtspiAccessibility switcher;
  if (!switcher.isTrusted(AtspiAccessibility::TrustCheck::prompt)) {
    std::fprintf(stderr, "the accessibility bus could not be switched on\n");
    return 1;
  }
  Result qtResult, gtkResult;
  if (!readMenus("Qt", QUILLO_QT_MENU_APP, qtResult) || !readMenus("GTK 3", QUILLO_GTK_MENU_APP, gtkResult))
    return 1;
  report("Qt", qtResult);
  report("GTK 3", gtkResult);
  return 0;
}

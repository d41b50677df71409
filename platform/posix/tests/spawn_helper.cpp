// Starts a child that ends with its parent from a short-lived thread, then exits with status 0
// when the child outlived that thread (1 when it did not); exiting must end the child.
// Usage: quillo-spawn-helper FOLDER. The child writes FOLDER/started once it listens for SIGTERM
// and FOLDER/ended when it gets it.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "quillo/platform/posix/loop_main_queue.h"
#include "quillo/platform/posix/posix_processes.h"

namespace {

bool waitFor(const std::filesystem::path& path) {
  for (int i = 0; i < 500; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path folder = argv[1];
  quillo::platform::posix::LoopMainQueue main;
  quillo::platform::posix::PosixProcesses processes(main);
  const std::string script =
      "trap 'echo > \"$1/ended\"; exit 0' TERM; echo > \"$1/started\"; "
      "while :; do sleep 0.05; done";
  std::thread([&] {
    processes.spawn({.executable = "/bin/sh",
                     .arguments = {"-c", script, "sh", folder.string()},
                     .environment = processes.environment(),
                     .endsWithParent = true,
                     .detached = false},
                    {});
  }).join();
  const bool alive = waitFor(folder / "started") && !std::filesystem::exists(folder / "ended");
  return alive ? 0 : 1;
}

// How fast a copy by another X client reaches the clipboard's change count, and what watching
// costs while nothing happens. Run on a display: scripts/with-test-desktop quillo-bench-desktop-clipboard
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "quillo/platform/desktop/x11_selection_watcher.h"

using namespace quillo::platform::desktop;
using Clock = std::chrono::steady_clock;

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
  std::mutex mutex;
  std::condition_variable changed;
  Clock::time_point seenAt;
  X11SelectionWatcher watcher(nullptr, "CLIPBOARD", [&] {
    std::lock_guard lock(mutex);
    seenAt = Clock::now();
    changed.notify_all();
  });

  // Another program copying: a client of its own taking the selection.
  XcbConnection other;
  const xcb_window_t window = other.createHiddenWindow();
  const xcb_atom_t clipboard = other.atom("CLIPBOARD");
  constexpr int rounds = 500;
  std::vector<double> latencies;
  for (int i = 0; i < rounds; ++i) {
    const auto before = watcher.changeCount();
    const auto start = Clock::now();
    xcb_set_selection_owner(other.get(), i % 2 ? window : XCB_NONE, clipboard, XCB_CURRENT_TIME);
    other.flush();
    std::unique_lock lock(mutex);
    if (!changed.wait_for(lock, std::chrono::seconds(2), [&] { return watcher.changeCount() != before; })) {
      std::fprintf(stderr, "the change count did not move\n");
      return 1;
    }
    latencies.push_back(std::chrono::duration<double, std::milli>(seenAt - start).count());
  }
  std::sort(latencies.begin(), latencies.end());
  std::printf(
      "copy by another X client to the change count moving, %d copies: p50 %.3f ms, p99 %.3f ms, max %.3f "
      "ms\n",
      rounds, latencies[rounds / 2], latencies[rounds * 99 / 100], latencies.back());

  const double cpuBefore = cpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(10));
  const double idle = cpuSeconds() - cpuBefore;
  std::printf("watching while idle: %.3f ms of processor time in 10 s (%.4f%% of a core)\n", idle * 1000,
              idle / 10 * 100);
  return 0;
}

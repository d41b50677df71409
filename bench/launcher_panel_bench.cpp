// A keystroke in the launcher panel, from the key event reaching the search field to the panel's
// new rows painted: the routing, the search model's local search over the system's commands and
// 5,000 synthetic ones, the rows' icons and texts, and the paint. Run on a display:
// scripts/with-test-desktop quillo-bench-launcher-panel. The ranking service is not configured,
// so nothing waits for it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/app/search_model.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/ui/panel/launcher_window.h"
#include "quillo/ui/panel/search_field.h"

namespace {

using quillo::core::Command;

constexpr std::size_t kSyntheticCommands = 5000;
constexpr std::uint32_t kSeed = 20240611;

constexpr std::array<std::string_view, 16> kVerbs{
    "Show", "Open", "Export", "Select", "Restore", "Zoom",  "Toggle", "Move",
    "Copy", "Find", "Insert", "Format", "Share",   "Print", "Close",  "Duplicate"};
constexpr std::array<std::string_view, 24> kNouns{
    "Window", "Tab",   "Label",  "Display", "Network", "Template", "Layer",  "Folder",
    "Note",   "Page",  "Column", "Table",   "Image",   "Link",     "Filter", "Sidebar",
    "Font",   "Style", "Track",  "Marker",  "Account", "Message",  "Event",  "Project"};

// The queries of the search model's benchmark, typed one key at a time.
constexpr std::array<std::string_view, 17> kQueries{
    "screenshot",   "volume",     "lock",       "keep awake", "wifi",      "bluetooth",
    "dark mode",    "doc",        "terminal",   "safari",     "downloads", "display",
    "activity mon", "new window", "export pdf", "zzqxjv",     "jjvvkwq"};

std::vector<Command> commands() {
  const quillo::platform::posix::PosixSystem system;
  const quillo::platform::posix::PosixFileSystem files;
  std::vector<Command> all =
      quillo::core::CommandIndex::system(system, files, quillo::core::ApplicationRoots{}).commands();
  std::mt19937 rng(kSeed);
  auto pick = [&rng](const auto& words) { return std::string(words[rng() % words.size()]); };
  for (std::size_t i = 0; i < kSyntheticCommands; ++i) {
    std::string title = pick(kVerbs) + " " + pick(kNouns);
    if (rng() % 2 == 0) title += " " + pick(kNouns);
    all.emplace_back("action.synthetic." + std::to_string(i), title, Command::Kind::action, "", "", "",
                     quillo::core::target::Shell{"echo " + std::to_string(i)});
  }
  return all;
}

// The main thread's own CPU time: what a keystroke costs whatever else the machine runs.
double threadMillis() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[std::min(samples.size(), std::max<std::size_t>(rank, 1)) - 1];
}

// Waits for the paint that follows a change; false after two seconds without one.
bool waitForPaint(const bool& painted) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!painted && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
  return painted;
}

void BM_KeystrokeToRowsPainted(benchmark::State& state) {
  quillo::platform::SystemClock clock;
  quillo::platform::desktop::QtMainQueue main;
  quillo::base::WorkerPool pool(2);
  quillo::core::MemoryDefaultsStore defaults;
  quillo::core::QuilloPreferences preferences(defaults);
  quillo::core::UsageStore usage(defaults);
  quillo::testing::FakeAccessibility accessibility(R"({"AXRole": "AXApplication"})");
  quillo::app::SearchModel model({.main = main,
                                  .pool = pool,
                                  .clock = clock,
                                  .preferences = preferences,
                                  .usage = usage,
                                  .accessibility = accessibility,
                                  .backend = nullptr});
  const std::vector<Command> all = commands();
  model.refreshCommands([&all] { return quillo::core::CommandIndex(all); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (model.commandCount() == 0 && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  if (model.commandCount() == 0) state.SkipWithError("the index was not built");

  bool painted = false;
  quillo::ui::LauncherWindow window(model, preferences, {.painted = [&painted] { painted = true; }});
  const quillo::app::Size size = window.preferredSize();
  window.present({{100, 100}, size}, {.duration = std::chrono::milliseconds(0), .slide = 0}, std::nullopt);
  painted = false;
  waitForPaint(painted);

  std::vector<double> latencies;
  std::vector<double> cpu;
  std::size_t missed = 0;
  for (auto _ : state) {
    for (const std::string_view query : kQueries) {
      for (const char letter : query) {
        const QString text(QChar::fromLatin1(letter));
        const int key = letter == ' ' ? int(Qt::Key_Space) : int(Qt::Key_A) + (letter - 'a');
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        painted = false;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadMillis();
        QApplication::sendEvent(window.searchField(), &press);
        if (!waitForPaint(painted)) ++missed;
        cpu.push_back(threadMillis() - cpuStart);
        latencies.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        QApplication::sendEvent(window.searchField(), &release);
      }
      state.PauseTiming();
      window.searchField()->clear();
      model.setQuery("");
      painted = false;
      waitForPaint(painted);
      state.ResumeTiming();
    }
  }
  state.counters["commands"] = static_cast<double>(model.commandCount());
  state.counters["keystrokes"] = static_cast<double>(latencies.size());
  state.counters["missed_paints"] = static_cast<double>(missed);
  state.counters["p50_ms"] = percentile(latencies, 0.50);
  state.counters["p99_ms"] = percentile(latencies, 0.99);
  state.counters["max_ms"] = percentile(latencies, 1.0);
  state.counters["p50_cpu_ms"] = percentile(cpu, 0.50);
  state.counters["p99_cpu_ms"] = percentile(cpu, 0.99);
}
BENCHMARK(BM_KeystrokeToRowsPainted)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// A keystroke in the launcher panel, from the key event reaching the search field to the panel's
// new rows painted: the routing, the search model's local search over the system's commands and
// 5,000 synthetic ones, the rows' icons and texts, and the paint. Run on a display:
// scripts/with-test-desktop quillo-bench-launcher-panel. The ranking service is not configured,
// so nothing waits for it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "keystroke_workload.h"
#include "quillo/app/search_model.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/ui/panel/launcher_window.h"
#include "quillo/ui/panel/search_field.h"

namespace {

using quillo::core::Command;

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
  const std::vector<Command> all = quillo::bench::keystrokeCommands();
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
    for (const std::string_view query : quillo::bench::kKeystrokeQueries) {
      for (const char letter : query) {
        const QString text(QChar::fromLatin1(letter));
        const int key = letter == ' ' ? int(Qt::Key_Space) : int(Qt::Key_A) + (letter - 'a');
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        painted = false;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = quillo::bench::threadCpuMicros();
        QApplication::sendEvent(window.searchField(), &press);
        if (!waitForPaint(painted)) ++missed;
        cpu.push_back((quillo::bench::threadCpuMicros() - cpuStart) / 1e3);
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
  state.counters["p50_ms"] = quillo::bench::percentile(latencies, 0.50);
  state.counters["p99_ms"] = quillo::bench::percentile(latencies, 0.99);
  state.counters["max_ms"] = quillo::bench::percentile(latencies, 1.0);
  state.counters["p50_cpu_ms"] = quillo::bench::percentile(cpu, 0.50);
  state.counters["p99_cpu_ms"] = quillo::bench::percentile(cpu, 0.99);
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

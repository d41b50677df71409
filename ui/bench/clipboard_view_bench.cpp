// The clipboard history's view at 10,000 entries: from a key typed into its search field to the
// list painted with the new results (the search on a worker included), on Qt's offscreen
// platform so that it runs without a display. The history is a real SQLite file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_key_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/ui/clipboard/clipboard_view.h"

namespace {

using namespace quillo;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 10'000;

// Fills the history file with short and long texts over a small vocabulary.
void fill(const std::filesystem::path& file, base::Date now) {
  clipboard::ClipboardStore store(file);
  const std::vector<std::string> words{"meeting", "notes",  "invoice", "draft", "release", "server",
                                       "address", "launch", "budget",  "photo", "kernel",  "window"};
  std::mt19937 random(7);
  clipboard::ClipboardLimits limits;
  for (int number = 0; number < kEntries; ++number) {
    std::string text;
    const int length = number % 10 == 0 ? 400 : 12;
    for (int word = 0; word < length; ++word)
      text += words[random() % words.size()] + " ";
    text += "n" + std::to_string(number);
    clipboard::ClipboardEntry::Fields fields{
        .id = base::Uuid::random(),
        .title = text.substr(0, 120),
        .text = text,
        .sourceAppID = "org.gnome.TextEditor",
        .sourceAppName = "Text Editor",
        .copiedAt = base::Date{now.secondsSince1970 - (kEntries - number) * 60.0},
    };
    store.save(clipboard::ClipboardEntry(std::move(fields)), clipboard::ClipboardPayload::text(text), {},
               limits, base::Date{now.secondsSince1970 - (kEntries - number) * 60.0});
  }
}

void BM_KeystrokeToRowsPainted(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char name[] = "bench";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  // Filling the history commits 10,000 times; in memory that takes seconds instead of minutes on
  // a disk, and the measured keystrokes only read.
  if (std::filesystem::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 0);
  testing::TemporaryFolder folder;
  platform::SystemClock clock;
  fill(folder / "history.sqlite", clock.now());

  platform::desktop::QtMainQueue main;
  base::WorkerPool pool{2};
  core::MemoryDefaultsStore defaults{{{"clipboard.enabled", true}, {"clipboard.megabytes", 4096}}};
  app::ClipboardSettings settings{defaults};
  testing::FakePasteboard board;
  testing::FakeWorkspace workspace;
  testing::FakeKeyEvents keys;
  testing::FakeSystem system;
  system.macOS = false;
  platform::posix::PosixFileSystem files;
  app::ClipboardModel model{{board, keys, workspace, system, main, clock, pool, files},
                            settings,
                            std::make_shared<clipboard::ClipboardTagger>(),
                            {.recognisesImageText = false}};
  model.start(folder / "history.sqlite", false);
  while (!model.state().isReady)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);

  bool paintedResults = false;
  ui::ClipboardView view(model,
                         {.painted = [&] { paintedResults = paintedResults || !model.state().isSearching; }});
  view.resize(720, 480);
  model.open(app::ClipboardModel::Mode::paste, std::nullopt);
  view.show();
  auto* field = view.findChild<QLineEdit*>("search");

  const std::string typed = "meeting notes draft server ";
  std::size_t at = 0;
  std::vector<double> samples;
  for (auto _ : state) {
    if (at == typed.size()) {
      field->clear();
      at = 0;
      while (model.state().isSearching)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
      QCoreApplication::processEvents();
    }
    paintedResults = false;
    const auto start = Clock::now();
    QTest::keyClick(field, typed[at++]);
    while (!paintedResults)
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 1);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    samples.push_back(seconds * 1000);
  }
  std::sort(samples.begin(), samples.end());
  const auto share = [&](double p) {
    return samples[std::min(samples.size() - 1, static_cast<std::size_t>(p * samples.size()))];
  };
  state.counters["p50_ms"] = share(0.50);
  state.counters["p99_ms"] = share(0.99);
  state.counters["max_ms"] = samples.back();
}
BENCHMARK(BM_KeystrokeToRowsPainted)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

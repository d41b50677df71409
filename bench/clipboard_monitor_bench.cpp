// The clipboard monitor from the pass that sees a copy to the entry being searchable: 1 KB of
// text and a 4 MB PNG (its thumbnail included), and the cost of a pass that finds nothing new.
// The pasteboard is held in memory, so these are the history's own costs; the desktop's transfer
// of the bytes comes on top.
#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "quillo/app/clipboard/clipboard_monitor.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/posix/loop_main_queue.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/temporary_folder.h"

namespace {

using namespace quillo;
using Clock = std::chrono::steady_clock;

struct Bench {
  testing::TemporaryFolder folder;
  platform::posix::LoopMainQueue main;
  platform::SystemClock clock;
  base::WorkerPool pool;
  core::MemoryDefaultsStore defaults{{{"clipboard.enabled", true}, {"clipboard.megabytes", 4096}}};
  app::ClipboardSettings settings{defaults};
  testing::FakePasteboard board;
  testing::FakeWorkspace workspace;
  std::shared_ptr<clipboard::ClipboardStore> store =
      std::make_shared<clipboard::ClipboardStore>(folder / "history.sqlite");
  app::ClipboardMonitor monitor{
      {board, workspace, main, clock, pool}, settings, store, std::make_shared<clipboard::ClipboardTagger>()};

  // Copies, runs one pass, and returns how long until a search for `word` finds the entry.
  Clock::duration record(std::vector<platform::PasteboardItem> items, const std::string& word) {
    Clock::time_point start;
    Clock::duration took{};
    monitor.onChange = [&] {
      if (!store->search(word, clipboard::ClipboardFilter::all, 1).empty()) {
        took = Clock::now() - start;
        main.quit();
      }
    };
    main.post([&] {
      board.copy(std::move(items));
      start = Clock::now();
      monitor.poll();
    });
    main.run();
    return took;
  }
};

void report(benchmark::State& state, std::vector<double> milliseconds) {
  std::sort(milliseconds.begin(), milliseconds.end());
  const auto at = [&](double share) {
    return milliseconds[std::min(milliseconds.size() - 1,
                                 static_cast<std::size_t>(share * milliseconds.size()))];
  };
  state.counters["p50_ms"] = at(0.50);
  state.counters["p99_ms"] = at(0.99);
  state.counters["max_ms"] = milliseconds.back();
}

void BM_PollToSearchableText1KB(benchmark::State& state) {
  Bench bench;
  std::vector<double> samples;
  int number = 0;
  for (auto _ : state) {
    const std::string word = "needle" + std::to_string(++number);
    std::string text = word + " ";
    while (text.size() < 1024)
      text += "some copied words from a page of text ";
    text.resize(1024);
    const auto took = bench.record(
        {platform::PasteboardItem{{testing::representation("public.utf8-plain-text", text)}}}, word);
    const double seconds = std::chrono::duration<double>(took).count();
    state.SetIterationTime(seconds);
    samples.push_back(seconds * 1000);
  }
  report(state, samples);
}
BENCHMARK(BM_PollToSearchableText1KB)->UseManualTime()->Iterations(500)->Unit(benchmark::kMillisecond);

// A PNG of noise, which does not compress: about 4 MB.
std::string noisePNG() {
  VipsImage* noise = nullptr;
  VipsImage* bands = nullptr;
  VipsImage* bytes = nullptr;
  void* buffer = nullptr;
  size_t length = 0;
  vips_gaussnoise(&noise, 1690, 1690, "sigma", 80.0, nullptr);
  VipsImage* three[3] = {noise, noise, noise};
  vips_bandjoin(three, &bands, 3, nullptr);
  vips_cast_uchar(bands, &bytes, nullptr);
  vips_pngsave_buffer(bytes, &buffer, &length, "compression", 1, nullptr);
  std::string png(static_cast<const char*>(buffer), length);
  g_free(buffer);
  g_object_unref(bytes);
  g_object_unref(bands);
  g_object_unref(noise);
  return png;
}

void BM_PollToSearchablePNG4MB(benchmark::State& state) {
  Bench bench;
  std::vector<std::string> images;
  for (int i = 0; i < 5; ++i)
    images.push_back(noisePNG());
  std::vector<double> samples;
  std::size_t number = 0;
  for (auto _ : state) {
    // Distinct images, so that each copy is a new entry and not a repeat.
    const std::string& png = images[number++ % images.size()];
    bench.store->clear(true);
    const auto took =
        bench.record({platform::PasteboardItem{{testing::representation("public.png", png)}}}, "image");
    const double seconds = std::chrono::duration<double>(took).count();
    state.SetIterationTime(seconds);
    samples.push_back(seconds * 1000);
  }
  state.counters["png_MB"] = static_cast<double>(images[0].size()) / 1'048'576;
  report(state, samples);
}
BENCHMARK(BM_PollToSearchablePNG4MB)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

void BM_IdlePoll(benchmark::State& state) {
  Bench bench;
  for (auto _ : state)
    bench.monitor.poll();
}
BENCHMARK(BM_IdlePoll)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
  VIPS_INIT(argv[0]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace fff {

// The name searches sift entries by their letter masks this many at a time into a list of those
// that may match, and ask for memory read at random this many places ahead of its use.
inline constexpr std::uint32_t kSift = 512;
inline constexpr std::uint32_t kAhead = 8;

// Below this many entries a second thread costs more to start than it saves.
inline constexpr std::size_t kEntriesPerThread = 65536;

// How many threads a pass over `entries` entries should use: by default one per core, but only
// as many as the entries make worth starting; `requested` (tests ask for it on small trees)
// that many, never more than the cores.
inline unsigned passThreads(unsigned requested, std::size_t entries) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (requested != 0) return std::min(requested, cores);
  const auto useful = static_cast<unsigned>(std::max<std::size_t>(1, entries / kEntriesPerThread));
  return std::min(cores, useful);
}

// Runs work(begin, end, share) over ranges that cover [0, count) on `shares` threads, the
// first being the calling thread, and returns when all are done. `share` names the thread, so
// that each can gather into a place of its own; a thread may be given several ranges. The
// ranges are small and taken in turn rather than fixed in advance, so that when another
// program holds a core the thread that has one does most of the work instead of waiting for
// the other's half. Nor does it wait for a helper that has not started yet: on a busy machine a
// new thread can wait a whole time slice for a core. A helper that starts after the last range
// was taken finds nothing left and ends without touching `work`; the caller waits only for
// helpers that took a range.
template <class Work>
void inShares(std::uint32_t count, unsigned shares, Work&& work) {
  if (shares <= 1) {
    work(0u, count, 0u);
    return;
  }
  // A few ranges per thread: enough to even out, few enough that each is worth its setup.
  const std::uint32_t step = std::max<std::uint32_t>(1024, count / (shares * 8));
  struct State {
    std::atomic<std::uint64_t> next{0};
    std::atomic<unsigned> working{0};
  };
  const auto state = std::make_shared<State>();
  // `working` is raised before a range is taken: once a taking finds none left, every helper
  // that holds a range is counted.
  const auto run = [count, step, &work](State& shared, unsigned share) {
    for (;;) {
      const std::uint64_t begin = shared.next.fetch_add(step);
      if (begin >= count) return;
      work(static_cast<std::uint32_t>(begin),
           static_cast<std::uint32_t>(std::min<std::uint64_t>(count, begin + step)), share);
    }
  };
  for (unsigned share = 1; share < shares; ++share)
    std::thread([state, share, run] {
      state->working.fetch_add(1);
      run(*state, share);
      if (state->working.fetch_sub(1) == 1) state->working.notify_all();
    }).detach();
  run(*state, 0u);
  for (unsigned working = state->working.load(); working != 0; working = state->working.load())
    state->working.wait(working);
}

// Runs work(k) for every k in [0, count) on `threads` threads, the calling thread among them,
// each taking the next few items in turn: for items that each cost a system call or more. As
// with inShares, the caller never waits for a helper that starts after the last items were
// taken.
template <class Work>
void eachInTurn(std::size_t count, unsigned threads, Work&& work) {
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
  if (threads <= 1) {
    for (std::size_t k = 0; k < count; ++k)
      work(k);
    return;
  }
  const std::size_t step = std::max<std::size_t>(1, count / (threads * 16));
  struct State {
    std::atomic<std::size_t> next{0};
    std::atomic<unsigned> working{0};
    std::mutex failedMutex;
    std::exception_ptr failed;
  };
  const auto state = std::make_shared<State>();
  // A failure stops every thread from taking more; the first one is thrown once all are done.
  const auto run = [count, step, &work](State& shared) {
    try {
      for (;;) {
        const std::size_t begin = shared.next.fetch_add(step);
        if (begin >= count) return;
        for (std::size_t k = begin; k < std::min(count, begin + step); ++k)
          work(k);
      }
    } catch (...) {
      shared.next = count;
      const std::lock_guard lock(shared.failedMutex);
      if (!shared.failed) shared.failed = std::current_exception();
    }
  };
  for (unsigned t = 1; t < threads; ++t)
    std::thread([state, run] {
      state->working.fetch_add(1);
      run(*state);
      if (state->working.fetch_sub(1) == 1) state->working.notify_all();
    }).detach();
  run(*state);
  for (unsigned working = state->working.load(); working != 0; working = state->working.load())
    state->working.wait(working);
  const std::lock_guard lock(state->failedMutex);
  if (state->failed) std::rethrow_exception(state->failed);
}

}  // namespace fff

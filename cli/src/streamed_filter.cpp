#include "streamed_filter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>

namespace quillo::cli {
namespace {

using Piece = InputLines::Piece;

// A pipe's buffer grows to this (the most an unprivileged process may ask for by default), so
// that the writer rarely waits for us and each read takes a lot at once.
constexpr int kPipeBytes = 1 << 20;

// One piece and, once a matching thread is done with it, its hits.
struct Job {
  Piece piece;
  core::TitleBatchHits hits;
};

// Jobs waiting for a matching thread. The jobs themselves live in a deque owned by the reader,
// which only ever appends to it, so a pointer to a job stays valid.
class JobQueue {
 public:
  void push(Job* job) {
    {
      const std::scoped_lock lock(mutex_);
      waiting_.push_back(job);
    }
    ready_.notify_one();
  }
  // No more jobs will come; the threads finish those waiting and stop.
  void close() {
    {
      const std::scoped_lock lock(mutex_);
      closed_ = true;
    }
    ready_.notify_all();
  }
  // The next job, or nothing once the queue is closed and empty or the thread is asked to stop.
  Job* pop(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait(lock, stop, [&] { return closed_ || !waiting_.empty(); })) return nullptr;
    if (waiting_.empty()) return nullptr;
    Job* job = waiting_.front();
    waiting_.pop_front();
    return job;
  }

 private:
  std::mutex mutex_;
  std::condition_variable_any ready_;
  std::deque<Job*> waiting_;
  bool closed_ = false;
};

[[noreturn]] void failReading() {
  throw std::system_error(errno, std::generic_category(), "cannot read the input");
}

// Reads `fd` to its end in pieces cut after a line ending, handing each piece on as soon as it
// holds at least `pieceBytes` (a longer line makes a longer piece).
template <typename Handler>
void readPieces(int fd, std::size_t pieceBytes, Handler&& handle) {
  std::size_t capacity = pieceBytes;
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  while (true) {
    const ssize_t count = ::read(fd, buffer.get() + used, capacity - used);
    if (count < 0) {
      if (errno == EINTR) continue;
      failReading();
    }
    if (count == 0) break;
    used += static_cast<std::size_t>(count);
    if (used < capacity) continue;

    const char* data = buffer.get();
    const auto* newline = static_cast<const char*>(memrchr(data, '\n', used));
    if (newline == nullptr) {
      // One line fills the buffer: make room and read on.
      auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(larger.get(), data, used);
      buffer = std::move(larger);
      capacity *= 2;
      continue;
    }
    const auto size = static_cast<std::size_t>(newline - data) + 1;
    const std::size_t rest = used - size;
    const std::size_t nextCapacity = std::max(pieceBytes, rest * 2);
    auto next = std::make_unique_for_overwrite<char[]>(nextCapacity);
    std::memcpy(next.get(), data + size, rest);
    handle(Piece{.bytes = std::move(buffer), .size = size, .lines = {}, .repaired = {}});
    buffer = std::move(next);
    capacity = nextCapacity;
    used = rest;
  }
  if (used > 0) handle(Piece{.bytes = std::move(buffer), .size = used, .lines = {}, .repaired = {}});
}

FilteredInput filterStream(int fd, std::string_view query, const core::TitleFilterOptions& filterOptions,
                           const StreamOptions& streamOptions) {
  const core::PreparedQuery prepared = core::FuzzyMatcher::prepare(query);
  const bool matches = !prepared.empty() && filterOptions.limit > 0;
  std::deque<Job> jobs;
  JobQueue queue;
  std::mutex failureMutex;
  std::exception_ptr failure;

  const unsigned threadCount =
      streamOptions.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : streamOptions.threads;
  std::vector<std::jthread> threads;
  for (unsigned index = 0; index < threadCount; ++index) {
    threads.emplace_back([&](const std::stop_token& stop) {
      while (Job* job = queue.pop(stop)) {
        try {
          splitLines(job->piece.text(), job->piece.lines, job->piece.repaired);
          if (matches) job->hits = core::filterTitleBatch(job->piece.lines, prepared, filterOptions.limit);
        } catch (...) {
          const std::scoped_lock lock(failureMutex);
          if (!failure) failure = std::current_exception();
        }
      }
    });
  }
  // On a read failure the threads' destructors ask them to stop before joining them.
  readPieces(fd, streamOptions.pieceBytes, [&](Piece piece) {
    queue.push(&jobs.emplace_back(Job{.piece = std::move(piece), .hits = {}}));
  });
  queue.close();
  for (std::jthread& thread : threads)
    thread.join();
  if (failure) std::rethrow_exception(failure);

  std::vector<Piece> pieces;
  std::vector<core::TitleBatchHits> batches;
  std::vector<std::size_t> firstPositions;
  std::size_t position = 0;
  for (Job& job : jobs) {
    firstPositions.push_back(position);
    position += job.piece.lines.size();
    pieces.push_back(std::move(job.piece));
    batches.push_back(std::move(job.hits));
  }
  FilteredInput result{.lines = InputLines::fromPieces(std::move(pieces)), .hits = {}};
  if (matches) {
    result.hits = core::mergeTitleBatches(std::move(batches), firstPositions, result.lines.lines(),
                                          filterOptions.limit);
  }
  return result;
}

}  // namespace

FilteredInput filterInput(int fd, std::string_view query, const core::TitleFilterOptions& filterOptions,
                          const StreamOptions& streamOptions) {
  struct stat status {};
  if (fstat(fd, &status) != 0) failReading();
  if (S_ISREG(status.st_mode)) {
    InputLines lines = InputLines::read(fd);
    std::vector<core::TitleHit> hits = core::filterTitles(lines.lines(), query, filterOptions);
    return {.lines = std::move(lines), .hits = std::move(hits)};
  }
  // Best effort: a pipe keeps its buffer when the system refuses a larger one.
  if (S_ISFIFO(status.st_mode)) fcntl(fd, F_SETPIPE_SZ, kPipeBytes);
  return filterStream(fd, query, filterOptions, streamOptions);
}

}  // namespace quillo::cli

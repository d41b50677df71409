#include "streamed_filter.h"

#include <fcntl.h>
#include <sys/mman.h>
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
#include <new>
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
constexpr std::size_t kFirstBlock = std::size_t{1} << 20;
constexpr std::size_t kLargestBlock = std::size_t{32} << 20;
constexpr std::size_t kPresentAhead = std::size_t{4} << 20;

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

// Memory for the input as it arrives, in blocks mapped whole: a piece read into fresh heap
// memory would take a page fault every 4 KiB. A large block asks for huge pages and is made
// present a few megabytes at a time, just before the reads reach them, so that the unused end of
// the last block (up to half of it) is never cleared; a small one is made present at once.
std::shared_ptr<char> mapBlock(std::size_t size) {
  const bool large = size >= kPresentAhead;
  void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | (large ? 0 : MAP_POPULATE), -1, 0);
  if (address == MAP_FAILED) throw std::bad_alloc();
  if (large) ::madvise(address, size, MADV_HUGEPAGE);
  return {static_cast<char*>(address), [size](char* at) { ::munmap(at, size); }};
}

// Makes [from, to) of a large block present in one call ahead of the reads (best effort: a
// page the call leaves out is faulted in on the read).
void presentAhead(char* block, std::size_t capacity, std::size_t& present, std::size_t used) {
  if (capacity < kPresentAhead || used + kPresentAhead / 2 < present) return;
  const std::size_t end = std::min(capacity, present + kPresentAhead);
  ::madvise(block + present, end - present, MADV_POPULATE_WRITE);
  present = end;
}

// Reads `fd` to its end in pieces cut after a line ending, handing each piece on as soon as it
// holds at least `pieceBytes` (a longer line makes a longer piece). Pieces follow each other in
// a block, each block twice the last (up to a limit) so that a short input maps little; only
// the unfinished line at a block's end is copied into the next.
template <typename Handler>
void readPieces(int fd, std::size_t pieceBytes, Handler&& handle) {
  std::size_t capacity = std::max(kFirstBlock, pieceBytes * 2);
  std::shared_ptr<char> block = mapBlock(capacity);
  std::size_t begin = 0;
  std::size_t used = 0;
  std::size_t present = 0;
  const auto emit = [&](std::size_t end) {
    handle(Piece{.bytes = {block.get() + begin, Piece::SharedBlock{block}},
                 .size = end - begin,
                 .lines = {},
                 .repaired = {}});
    begin = end;
  };
  while (true) {
    if (used == capacity) {
      const std::size_t rest = used - begin;
      const std::size_t nextCapacity = std::max(std::min(capacity * 2, kLargestBlock), rest * 2);
      std::shared_ptr<char> next = mapBlock(nextCapacity);
      std::memcpy(next.get(), block.get() + begin, rest);
      block = std::move(next);
      capacity = nextCapacity;
      begin = 0;
      used = rest;
      present = 0;
    }
    presentAhead(block.get(), capacity, present, used);
    const ssize_t count = ::read(fd, block.get() + used, capacity - used);
    if (count < 0) {
      if (errno == EINTR) continue;
      failReading();
    }
    if (count == 0) break;
    used += static_cast<std::size_t>(count);
    if (used - begin < pieceBytes) continue;
    const auto* newline = static_cast<const char*>(memrchr(block.get() + begin, '\n', used - begin));
    // Without one, a single line fills the piece: read on.
    if (newline != nullptr) emit(static_cast<std::size_t>(newline - block.get()) + 1);
  }
  if (used > begin) emit(used);
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

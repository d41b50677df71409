#include "quillo/service/file_nonce_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <random>

namespace quillo::service {
namespace {

constexpr std::string_view kHeader = "quillo-nonces ";
// Every this many lines, the file is rewritten when it holds more than twice the live ones.
constexpr std::size_t kRewriteAtLines = 4096;

[[noreturn]] void fail(const std::filesystem::path& path, const char* what) {
  throw NonceStoreError("The nonce file '" + path.string() + "' could not be " + what + ": " +
                        std::strerror(errno));
}

// Holds the file's exclusive lock for one call.
class FileLock {
 public:
  FileLock(int fd, const std::filesystem::path& path) : fd_(fd) {
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) fail(path, "locked");
    }
  }
  ~FileLock() { ::flock(fd_, LOCK_UN); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      fail(path, "written");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string readFrom(int fd, std::int64_t offset, const std::filesystem::path& path) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail(path, "read");
    }
    if (got == 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
    offset += got;
  }
}

std::string freshGeneration() {
  std::random_device random;
  return std::to_string(random()) + std::to_string(random());
}

}  // namespace

FileNonceStore::FileNonceStore(std::filesystem::path path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) fail(path_, "opened");
}

FileNonceStore::~FileNonceStore() {
  ::close(fd_);
}

void FileNonceStore::readNewLines(std::int64_t nowMs) {
  char headBytes[64];
  ssize_t got = 0;
  do {
    got = ::pread(fd_, headBytes, sizeof headBytes, 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) fail(path_, "read");
  const std::string_view head(headBytes, static_cast<std::size_t>(got));
  const std::size_t headerEnd = head.find('\n');
  if (!head.starts_with(kHeader) || headerEnd == std::string_view::npos) {
    // A new (or damaged) file: start it over with a generation of its own.
    live_.clear();
    rewrite(nowMs);
    return;
  }
  const std::string_view generation = head.substr(kHeader.size(), headerEnd - kHeader.size());
  if (generation != generation_ || readOffset_ <= static_cast<std::int64_t>(headerEnd)) {
    generation_ = std::string(generation);
    live_.clear();
    linesInFile_ = 0;
    readOffset_ = static_cast<std::int64_t>(headerEnd + 1);
  }
  const std::string text = readFrom(fd_, readOffset_, path_);
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t end = text.find('\n', position);
    if (end == std::string::npos) break;  // a line cut short by a crash; skipped for good below
    const std::string_view line(text.data() + position, end - position);
    position = end + 1;
    ++linesInFile_;
    const std::size_t space = line.find(' ');
    std::int64_t expiry = 0;
    if (space == std::string_view::npos ||
        std::from_chars(line.data(), line.data() + space, expiry).ec != std::errc{})
      continue;
    if (expiry > nowMs) live_[std::string(line.substr(space + 1))] = expiry;
  }
  readOffset_ += static_cast<std::int64_t>(position);
}

void FileNonceStore::rewrite(std::int64_t nowMs) {
  std::erase_if(live_, [nowMs](const auto& entry) { return entry.second <= nowMs; });
  generation_ = freshGeneration();
  std::string text = std::string(kHeader) + generation_ + "\n";
  for (const auto& [nonce, expiry] : live_)
    text += std::to_string(expiry) + " " + nonce + "\n";
  if (::ftruncate(fd_, 0) != 0) fail(path_, "rewritten");
  if (::lseek(fd_, 0, SEEK_SET) < 0) fail(path_, "rewritten");
  writeAll(fd_, text, path_);
  readOffset_ = static_cast<std::int64_t>(text.size());
  linesInFile_ = live_.size();
}

bool FileNonceStore::remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) {
  if (nonce.empty() || nonce.find_first_of(" \n") != std::string_view::npos)
    throw NonceStoreError("A nonce holds a space or a line break.");
  const std::lock_guard guard(mutex_);
  const FileLock lock(fd_, path_);
  readNewLines(nowMs);
  const auto found = live_.find(std::string(nonce));
  if (found != live_.end() && found->second > nowMs) return false;
  if (linesInFile_ >= nextRewriteCheck_) {
    std::erase_if(live_, [nowMs](const auto& entry) { return entry.second <= nowMs; });
    if (linesInFile_ > 2 * live_.size()) rewrite(nowMs);
    nextRewriteCheck_ = linesInFile_ + kRewriteAtLines;
  }
  const std::string line = std::to_string(expiresAtMs) + " " + std::string(nonce) + "\n";
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0) fail(path_, "written");
  if (end > readOffset_) {
    // End the line a crashed writer left unfinished, so that this one reads on its own.
    writeAll(fd_, "\n", path_);
    readOffset_ = end + 1;
  }
  writeAll(fd_, line, path_);
  live_[std::string(nonce)] = expiresAtMs;
  readOffset_ += static_cast<std::int64_t>(line.size());
  ++linesInFile_;
  return true;
}

}  // namespace quillo::service

#include "checked_mark.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>

#include "unique_fd.h"
#include "whole_file.h"

namespace fff {
namespace {

constexpr std::int64_t kSettledSeconds = 2;
// A mark is a line of a few dozen bytes; anything longer is not one.
constexpr std::size_t kMostMarkBytes = 256;

// Reads a small file whole, or nothing when it cannot be read or is longer than `most`.
std::string smallFile(const char* path, std::size_t most) {
  const UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return {};
  std::string bytes(most + 1, '\0');
  std::size_t have = 0;
  for (ssize_t got;
       have < bytes.size() && (got = ::read(fd.get(), bytes.data() + have, bytes.size() - have)) > 0;)
    have += static_cast<std::size_t>(got);
  if (have > most) return {};
  bytes.resize(have);
  return bytes;
}

// This boot's id, read once: the kernel makes a new one at every start.
const std::string& bootId() {
  static const std::string id = [] {
    std::string text = smallFile("/proc/sys/kernel/random/boot_id", 64);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
      text.pop_back();
    return text;
  }();
  return id;
}

}  // namespace

CheckedMark::CheckedMark(const std::string& indexPath, const struct stat& file)
    : markPath_(markPath(indexPath)), changed_(file.st_ctim.tv_sec) {
  if (bootId().empty()) return;
  text_ = bootId() + ' ' + std::to_string(file.st_dev) + ' ' + std::to_string(file.st_ino) + ' ' +
          std::to_string(file.st_size) + ' ' + std::to_string(file.st_mtim.tv_sec) + '.' +
          std::to_string(file.st_mtim.tv_nsec) + ' ' + std::to_string(file.st_ctim.tv_sec) + '.' +
          std::to_string(file.st_ctim.tv_nsec) + '\n';
}

std::string CheckedMark::markPath(const std::string& indexPath) {
  return indexPath + ".checked";
}

bool CheckedMark::stands() const {
  return !text_.empty() && smallFile(markPath_.c_str(), kMostMarkBytes) == text_;
}

void CheckedMark::recordChecked(std::int64_t now) const {
  if (now >= changed_ + kSettledSeconds) write();
}

void CheckedMark::recordWritten() const {
  write();
}

void CheckedMark::write() const {
  if (!text_.empty()) replaceWhole(markPath_, text_);
}

std::int64_t secondsNow() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

}  // namespace fff

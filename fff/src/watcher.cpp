#include "watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace fff {
namespace {

constexpr std::uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW |
                                IN_EXCL_UNLINK;

}  // namespace

Watcher::Watcher()
    : inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), wakeup_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (!wakeup_.valid()) throw std::runtime_error("The index could not create its wake-up event.");
}

int Watcher::add(const std::string& path) {
  if (!inotify_.valid()) return -1;
  return ::inotify_add_watch(inotify_.get(), path.c_str(), kMask);
}

void Watcher::remove(int watch) {
  if (inotify_.valid() && watch >= 0) ::inotify_rm_watch(inotify_.get(), watch);
}

Watcher::Wait Watcher::wait(int timeoutMs) {
  pollfd fds[2] = {{wakeup_.get(), POLLIN, 0}, {inotify_.get(), POLLIN, 0}};
  const nfds_t count = inotify_.valid() ? 2 : 1;
  int ready;
  do {
    ready = ::poll(fds, count, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return Wait::timeout;
  if (fds[0].revents & POLLIN) {
    std::uint64_t value;
    [[maybe_unused]] const auto ignored = ::read(wakeup_.get(), &value, sizeof value);
    return Wait::woken;
  }
  return Wait::events;
}

std::vector<Watcher::Event> Watcher::drain() {
  std::vector<Event> events;
  if (!inotify_.valid()) return events;
  alignas(inotify_event) char buffer[64 * 1024];
  for (;;) {
    const ssize_t length = ::read(inotify_.get(), buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      inotify_event header;
      std::memcpy(&header, buffer + at, sizeof header);
      const char* name = buffer + at + sizeof header;
      events.push_back(
          {header.wd, header.mask, header.len > 0 ? std::string(name, strnlen(name, header.len)) : ""});
      at += static_cast<ssize_t>(sizeof header + header.len);
    }
  }
  return events;
}

void Watcher::wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto ignored = ::write(wakeup_.get(), &one, sizeof one);
}

}  // namespace fff

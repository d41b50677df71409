#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unique_fd.h"

namespace fff {

// An inotify instance for one tree, plus an event descriptor that wakes its waiter. Used by one
// thread, except wake(), which any thread may call.
class Watcher {
 public:
  struct Event {
    int watch;
    std::uint32_t mask;
    std::string name;
  };
  enum class Wait { events, timeout, woken };

  Watcher();

  // Whether inotify could be set up; without it every folder counts as unwatched.
  bool available() const { return inotify_.valid(); }
  // Watches one folder for changes to its children. Returns the watch descriptor, or -1 (for
  // instance when the system's limit of watches is reached).
  int add(const std::string& path);
  void remove(int watch);

  // Waits for events, a wake-up or the time-out (negative: none).
  Wait wait(int timeoutMs);
  // Reads every event available now.
  std::vector<Event> drain();
  void wake();

 private:
  UniqueFd inotify_;
  UniqueFd wakeup_;
};

}  // namespace fff

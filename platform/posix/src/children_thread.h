#pragma once

#include <sys/types.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "quillo/platform/processes.h"
#include "unique_fd.h"

namespace quillo::platform::posix {

// One started child as the children thread and its handles share it.
struct ChildState {
  pid_t pid = 0;
  UniqueFd pidfd;
  std::atomic<bool> ended{false};
};

// The one thread that starts and watches this program's children. It lives as long as the
// program: the kernel sends a child its parent-death signal when the *thread* that forked it
// ends, so children that must end with the program are forked here and nowhere else. It waits
// on each child's pidfd and reaps exactly that child, never another's.
class ChildrenThread {
 public:
  static ChildrenThread& shared();

  ChildrenThread();
  ~ChildrenThread();
  ChildrenThread(const ChildrenThread&) = delete;
  ChildrenThread& operator=(const ChildrenThread&) = delete;

  // Starts the child on this thread and waits for it to have started. `onEnd` runs on this
  // thread once the child has ended; detached children are never watched. Throws ProcessError.
  std::shared_ptr<ChildState> start(const ProcessLaunch& launch, std::function<void(ProcessExit)> onEnd);

 private:
  struct Request;
  struct Watched {
    std::shared_ptr<ChildState> child;
    std::function<void(ProcessExit)> onEnd;
  };

  void loop();
  void serve(Request& request);
  void reap(Watched& watched);

  std::mutex mutex_;
  std::deque<Request*> requests_;
  bool stopping_ = false;
  UniqueFd wake_;
  std::vector<Watched> watched_;  // this thread only
  std::thread thread_;
};

}  // namespace quillo::platform::posix

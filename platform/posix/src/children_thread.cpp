#include "children_thread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <future>

#include "child_launch.h"

namespace quillo::platform::posix {

struct ChildrenThread::Request {
  const ProcessLaunch& launch;
  std::function<void(ProcessExit)> onEnd;
  std::promise<std::shared_ptr<ChildState>> started;
};

ChildrenThread& ChildrenThread::shared() {
  static ChildrenThread thread;
  return thread;
}

ChildrenThread::ChildrenThread() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!wake_.valid())
    throw ProcessError(std::string("cannot watch child processes: ") + std::strerror(errno));
  thread_ = std::thread([this] { loop(); });
}

ChildrenThread::~ChildrenThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] auto written = ::write(wake_.get(), &one, sizeof one);
  thread_.join();
}

std::shared_ptr<ChildState> ChildrenThread::start(const ProcessLaunch& launch,
                                                  std::function<void(ProcessExit)> onEnd) {
  Request request{launch, std::move(onEnd), {}};
  auto started = request.started.get_future();
  {
    std::lock_guard lock(mutex_);
    if (stopping_) throw ProcessError("the program is ending");
    requests_.push_back(&request);
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] auto written = ::write(wake_.get(), &one, sizeof one);
  return started.get();
}

void ChildrenThread::serve(Request& request) {
  try {
    LaunchedChild launched = launchChild(request.launch);
    auto child = std::make_shared<ChildState>();
    child->pid = launched.pid;
    child->pidfd = std::move(launched.pidfd);
    if (!request.launch.detached) watched_.push_back({child, std::move(request.onEnd)});
    request.started.set_value(std::move(child));
  } catch (...) {
    request.started.set_exception(std::current_exception());
  }
}

void ChildrenThread::reap(Watched& watched) {
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(watched.child->pid), &info, WEXITED) < 0 && errno == EINTR) {
  }
  ProcessExit exit{};
  exit.exited = info.si_code == CLD_EXITED;
  exit.status = info.si_status;
  watched.child->ended = true;
  if (watched.onEnd) watched.onEnd(exit);
}

void ChildrenThread::loop() {
  std::vector<pollfd> polled;
  for (;;) {
    polled.assign(1, pollfd{wake_.get(), POLLIN, 0});
    for (const Watched& watched : watched_)
      polled.push_back(pollfd{watched.child->pidfd.get(), POLLIN, 0});
    if (::poll(polled.data(), polled.size(), -1) < 0) continue;

    if (polled[0].revents != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] auto read = ::read(wake_.get(), &count, sizeof count);
      std::deque<Request*> requests;
      {
        std::lock_guard lock(mutex_);
        requests.swap(requests_);
        if (stopping_) {
          for (Request* request : requests)
            request->started.set_exception(std::make_exception_ptr(ProcessError("the program is ending")));
          return;
        }
      }
      for (Request* request : requests)
        serve(*request);
    }
    // The children that ended, by their place in `polled` (the first entry is the wake-up).
    std::vector<Watched> still;
    const std::size_t polledChildren = polled.size() - 1;
    for (std::size_t i = 0; i < watched_.size(); ++i) {
      if (i < polledChildren && polled[i + 1].revents != 0) {
        reap(watched_[i]);
      } else {
        still.push_back(std::move(watched_[i]));
      }
    }
    watched_.swap(still);
  }
}

}  // namespace quillo::platform::posix

#pragma once

#include <memory>

namespace quillo::platform::desktop {

// Qt's core application, for programs without a Qt front end of their own (benchmarks, tools):
// the accessibility bus's connection needs one. Does nothing where one exists already. Make it
// first on the main thread, before any seam that uses Qt, and keep it until they are gone.
class QtRuntime {
 public:
  QtRuntime();
  ~QtRuntime();
  QtRuntime(const QtRuntime&) = delete;
  QtRuntime& operator=(const QtRuntime&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quillo::platform::desktop

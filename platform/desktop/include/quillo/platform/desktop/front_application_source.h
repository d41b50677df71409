#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include "quillo/platform/main_queue.h"
#include "quillo/platform/workspace.h"

namespace quillo::platform::desktop {

// A session cannot say which application is in front by this means; what() says why.
class FrontApplicationUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The desktop entry an application in front belongs to.
struct FrontEntry {
  std::string id;    // desktop-file id without ".desktop"
  std::string name;  // localised name
};

// Where the program learns which application is in front (a window manager, the compositor, the
// accessibility bus). Activations are handed to the main queue. Implementations are safe for
// concurrent use.
class FrontApplicationSource {
 public:
  using Observer = std::function<void(const FrontApplication&)>;
  virtual ~FrontApplicationSource() = default;
  // The front application now; none when no application is in front or it is not known.
  virtual std::optional<FrontApplication> front() const = 0;
};

// What a source last heard, and its activations handed to an observer on the main queue. Reports
// come from any thread; none arrive after destruction, whatever is still queued.
class FrontReports {
 public:
  FrontReports(MainQueue& main, FrontApplicationSource::Observer observer);
  ~FrontReports();
  FrontReports(const FrontReports&) = delete;
  FrontReports& operator=(const FrontReports&) = delete;

  // The application now in front; none when there is none or it is not known.
  void report(std::optional<FrontApplication> front);
  // The same without an activation: what was in front before the source listened.
  void know(std::optional<FrontApplication> front);
  std::optional<FrontApplication> front() const;

 private:
  struct Shared {
    std::mutex mutex;
    std::optional<FrontApplication> front;
    FrontApplicationSource::Observer observer;
    bool alive = true;
  };
  MainQueue& main_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace quillo::platform::desktop

#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "quillo/platform/desktop/selection_backend.h"

struct wl_display;

namespace quillo::platform::desktop {

// The Wayland session cannot give what was asked; what() says what is missing.
class WaylandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A Wayland compositor's clipboard through the data-control protocol (`ext_data_control_v1`
// where the compositor has it, else `zwlr_data_control_manager_v1`, which KWin 5.27 and wlroots
// compositors offer): a clipboard manager's view that needs no focused window. Its own
// connection and thread hold every protocol object; other threads hand it work. The primary
// selection is never read.
class WaylandDataControl final : public SelectionBackend {
 public:
  struct Options {
    std::chrono::milliseconds timeout{1000};
  };
  // Throws WaylandError when there is no Wayland display or it has no data-control protocol.
  explicit WaylandDataControl(Options options);
  WaylandDataControl() : WaylandDataControl(Options{}) {}
  ~WaylandDataControl() override;

  std::uint64_t changeCount() override;
  std::vector<std::string> targets() override;
  SelectionRead read(std::string_view target, std::size_t cap) override;
  void own(std::map<std::string, std::string> values) override;

  // The protocol in use: "ext_data_control_manager_v1" or "zwlr_data_control_manager_v1".
  const std::string& protocol() const { return protocol_; }

  struct Session;  // the protocol objects, on the connection's thread

 private:
  // Runs `work` on the connection's thread and waits for it.
  template <class Result>
  Result onConnection(std::function<Result(Session&)> work);
  void run(std::stop_token stop);

  Options options_;
  std::string protocol_;
  std::unique_ptr<Session> session_;
  std::mutex mutex_;
  std::deque<std::function<void()>> work_;
  int wakeFd_ = -1;
  std::jthread thread_;
};

}  // namespace quillo::platform::desktop

#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "quillo/app/task_slot.h"
#include "quillo/core/service/http_transport.h"

namespace quillo::app {

namespace update {
// No release feed was configured when the program was built: it is updated by the package manager.
struct NoFeed {
  bool operator==(const NoFeed&) const = default;
};
struct Idle {
  bool operator==(const Idle&) const = default;
};
struct Checking {
  bool operator==(const Checking&) const = default;
};
struct UpToDate {
  std::string version;
  bool operator==(const UpToDate&) const = default;
};
// A newer release; `url` is the page that describes it.
struct Available {
  std::string version;
  std::string url;
  bool operator==(const Available&) const = default;
};
struct Failed {
  std::string message;
  bool operator==(const Failed&) const = default;
};
}  // namespace update

using UpdateState = std::variant<update::NoFeed, update::Idle, update::Checking, update::UpToDate,
                                 update::Available, update::Failed>;

// "Check for Updates…": asks the release feed configured at build time for the newest version and
// says whether it is newer than this one. It never downloads or installs anything: on Debian the
// package manager updates the program. The feed is a JSON document {"version": "1.2.0", "url":
// "https://…"}. Main thread only; the request runs on the worker pool.
class UpdateChecker {
 public:
  struct Options {
    // None: no feed, and the menu item says that updates come from the package manager.
    std::optional<std::string> feedUrl{};
    std::string currentVersion;
    std::chrono::milliseconds timeout{10000};
  };

  UpdateChecker(Options options, core::HttpTransport* transport, base::WorkerPool& pool,
                platform::MainQueue& main);

  bool hasFeed() const { return options_.feedUrl.has_value() && transport_ != nullptr; }
  // The status menu's item.
  std::string menuTitle() const;
  // Starts a check at once, replacing one under way; nothing without a feed.
  void checkNow();
  const UpdateState& state() const { return state_; }
  // The state in words, for the message shown after a check.
  std::string message() const;
  void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void setState(UpdateState state);

  Options options_;
  core::HttpTransport* transport_;
  UpdateState state_;
  std::function<void()> observer_;
  TaskSlot slot_;
};

// Whether `candidate` is a later version than `current`, comparing dot-separated numbers ("1.10" is
// later than "1.9", "1.2" equals "1.2.0"); none when either is not such a version.
std::optional<bool> isNewerVersion(const std::string& candidate, const std::string& current);

// The feed and version this build was configured with.
std::optional<std::string> configuredReleaseFeed();
std::string programVersion();

}  // namespace quillo::app

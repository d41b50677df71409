#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillo/app/telemetry_service.h"
#include "quillo/base/date.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/service/http_transport.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/main_queue.h"

namespace quillo::app {

// Where usage signals go, as a build sets it: both the address and the app id, or nothing is sent.
struct AnalyticsDestination {
  std::string endpoint;  // https address the signals are posted to
  std::string appID;
  bool operator==(const AnalyticsDestination&) const = default;
};

// The destination this build was configured with; none unless it set both.
std::optional<AnalyticsDestination> builtInAnalyticsDestination();

// Where signals wait while offline: $XDG_STATE_HOME/quillo/signals.json (~/.local/state by default).
std::filesystem::path keptSignalsFile(const std::optional<std::string>& xdgStateHome,
                                      const std::filesystem::path& home);

// A small analytics client: signals are collected on the main thread and posted in batches as a
// JSON array over HTTPS from a worker. While the service cannot be reached they are kept in a
// file (the newest `maxKept`), and sent with the next batch. Delivery failures stay here.
class AnalyticsClient {
 public:
  struct Options {
    AnalyticsDestination destination;
    std::string namespaceName = "com.brightmoor";
    bool testMode = false;
    // Signals not yet delivered, kept between runs (under $XDG_STATE_HOME/quillo).
    std::filesystem::path keptFile;
    // A full batch goes at once; a smaller one after `sendDelay`.
    std::size_t batchSize = 20;
    std::chrono::milliseconds sendDelay{10000};
    std::size_t maxKept = 500;
    std::chrono::milliseconds timeout{10000};
  };
  // The HTTPS transport, made on a worker when the first batch goes (libquillo-net is loaded then).
  using TransportSource = std::function<std::shared_ptr<core::HttpTransport>()>;

  AnalyticsClient(Options options, TransportSource transport, platform::FileSystem& files,
                  base::WorkerPool& pool, platform::MainQueue& main, const platform::Clock& clock);
  // Stops a delivery in flight (its batch is kept in the file) and keeps what was not sent yet.
  ~AnalyticsClient();
  AnalyticsClient(const AnalyticsClient&) = delete;
  AnalyticsClient& operator=(const AnalyticsClient&) = delete;

  void signal(const std::string& type, const std::map<std::string, std::string>& parameters);
  // Sends what is waiting now, with what was kept; after a delivery in flight when there is one.
  void send();

  bool isSending() const { return sending_; }
  std::size_t waiting() const { return pending_.size(); }

 private:
  struct Shared;

  void finishedSending();

  std::shared_ptr<Shared> shared_;
  // Held only here: work that outlives the client finds it expired.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  base::WorkerPool& pool_;
  platform::MainQueue& main_;
  const platform::Clock& clock_;
  std::vector<std::string> pending_;  // each one signal as JSON text
  bool sending_ = false;
  bool sendAgain_ = false;
  platform::DelayedTask timer_;
};

// The usage signals' two operations over an analytics client that `make` builds when the service
// initializes it (with the app id and test mode it is given); nothing exists or is sent before.
using AnalyticsClientFactory =
    std::function<std::unique_ptr<AnalyticsClient>(const std::string& appID, bool testMode)>;
TelemetrySdk analyticsSdk(AnalyticsClientFactory make);

}  // namespace quillo::app

#include "quillo/app/analytics_client.h"

#include <mutex>
#include <nlohmann/json.hpp>
#include <stop_token>
#include <utility>

#include "quillo/base/log.h"
#include "quillo/base/uuid.h"

namespace quillo::app {

namespace {

const base::log::Logger kAnalyticsLog("analytics");
constexpr std::size_t kKeptFileLimit = std::size_t{8} << 20;

using Json = nlohmann::json;

// The kept signals; an unreadable or malformed file counts as none.
Json readKept(const platform::FileSystem& files, const std::filesystem::path& file) {
  try {
    const auto text = files.readFile(file, kKeptFileLimit);
    if (!text) return Json::array();
    Json kept = Json::parse(*text, nullptr, false);
    return kept.is_array() ? kept : Json::array();
  } catch (const std::exception& failure) {
    kAnalyticsLog.warning("Kept signals unreadable: {}", failure.what());
    return Json::array();
  }
}

}  // namespace

// What a delivery on a worker needs, alive for as long as any delivery runs.
struct AnalyticsClient::Shared {
  Shared(Options options, TransportSource transport, platform::FileSystem& files)
      : options(std::move(options)), transport(std::move(transport)), files(files) {}

  Options options;
  TransportSource transport;
  platform::FileSystem& files;
  std::string sessionID = base::Uuid::random().text();
  std::stop_source stop;
  std::mutex fileMutex;  // one reader-writer of the kept file at a time

  // Posts the kept signals with `batch`; keeps all of them again when that fails.
  void deliver(const std::vector<std::string>& batch) {
    const std::lock_guard lock(fileMutex);
    Json all = readKept(files, options.keptFile);
    const bool hadKept = !all.empty();
    for (const std::string& signal : batch)
      all.push_back(Json::parse(signal));
    if (all.empty()) return;
    bool delivered = false;
    try {
      const std::shared_ptr<core::HttpTransport> http = transport();
      const core::HttpResponse response = http->send({.method = "POST",
                                                      .url = options.destination.endpoint,
                                                      .headers = {{"Content-Type", "application/json"}},
                                                      .body = all.dump(),
                                                      .timeout = options.timeout},
                                                     stop.get_token());
      delivered = response.status >= 200 && response.status < 300;
      if (!delivered) kAnalyticsLog.info("Signals refused with status {}", response.status);
    } catch (const std::exception& failure) {
      kAnalyticsLog.info("Signals not sent: {}", failure.what());
    }
    try {
      if (delivered) {
        if (hadKept) files.replaceFile(options.keptFile, "[]");
        return;
      }
      if (all.size() > options.maxKept)
        all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(all.size() - options.maxKept));
      files.replaceFile(options.keptFile, all.dump());
    } catch (const std::exception& failure) {
      kAnalyticsLog.warning("Signals not kept: {}", failure.what());
    }
  }
};

AnalyticsClient::AnalyticsClient(Options options, TransportSource transport, platform::FileSystem& files,
                                 base::WorkerPool& pool, platform::MainQueue& main,
                                 const platform::Clock& clock)
    : shared_(std::make_shared<Shared>(std::move(options), std::move(transport), files)),
      pool_(pool),
      main_(main),
      clock_(clock) {}

AnalyticsClient::~AnalyticsClient() {
  timer_.cancel();
  shared_->stop.request_stop();
  if (pending_.empty()) return;
  // The last signals of the run are kept for the next one rather than sent on the way out.
  pool_.submit([shared = shared_, batch = std::move(pending_)]() mutable {
    const std::lock_guard lock(shared->fileMutex);
    Json all = readKept(shared->files, shared->options.keptFile);
    for (const std::string& signal : batch)
      all.push_back(Json::parse(signal));
    try {
      shared->files.replaceFile(shared->options.keptFile, all.dump());
    } catch (const std::exception& failure) {
      kAnalyticsLog.warning("Signals not kept: {}", failure.what());
    }
  });
}

void AnalyticsClient::signal(const std::string& type, const std::map<std::string, std::string>& parameters) {
  const Options& options = shared_->options;
  Json payload = Json::object();
  for (const auto& [name, value] : parameters)
    payload[name] = value;
  const Json signal{{"appID", options.destination.appID},
                    {"namespace", options.namespaceName},
                    {"type", type},
                    {"sessionID", shared_->sessionID},
                    {"isTestMode", options.testMode},
                    {"receivedAt", clock_.now().secondsSince1970},
                    {"payload", std::move(payload)}};
  pending_.push_back(signal.dump());
  if (pending_.size() >= options.batchSize) {
    send();
  } else if (timer_.isCancelled()) {
    timer_ = main_.postAfter(options.sendDelay, [this, alive = std::weak_ptr<int>(alive_)] {
      if (alive.expired()) return;
      timer_ = {};
      send();
    });
  }
}

void AnalyticsClient::send() {
  timer_.cancel();
  if (sending_) {
    sendAgain_ = true;
    return;
  }
  sending_ = true;
  pool_.submit([shared = shared_, batch = std::exchange(pending_, {}), this, &main = main_,
                alive = std::weak_ptr<int>(alive_)]() mutable {
    shared->deliver(batch);
    main.post([this, alive] {
      if (!alive.expired()) finishedSending();
    });
  });
}

void AnalyticsClient::finishedSending() {
  sending_ = false;
  if (std::exchange(sendAgain_, false) && !pending_.empty()) send();
}

TelemetrySdk analyticsSdk(AnalyticsClientFactory make) {
  auto client = std::make_shared<std::unique_ptr<AnalyticsClient>>();
  return {.initialize = [client, make = std::move(make)](const std::string& appID,
                                                         bool testMode) { *client = make(appID, testMode); },
          .signal =
              [client](const std::string& name, const std::map<std::string, std::string>& parameters) {
                if (*client) (*client)->signal(name, parameters);
              }};
}

}  // namespace quillo::app

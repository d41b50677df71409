#include "quillo/app/shell/update_checker.h"

#include <fmt/format.h>

#include <charconv>
#include <nlohmann/json.hpp>
#include <vector>

namespace quillo::app {
namespace {

constexpr std::string_view kUnreadableFeed = "The release feed could not be read.";

std::optional<std::vector<unsigned long>> versionNumbers(const std::string& version) {
  std::vector<unsigned long> numbers;
  std::string_view rest = version;
  while (true) {
    const auto dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    unsigned long number = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
    if (part.empty() || error != std::errc() || end != part.data() + part.size()) return std::nullopt;
    numbers.push_back(number);
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  // Trailing zeros say nothing: 1.2 is 1.2.0.
  while (numbers.size() > 1 && numbers.back() == 0)
    numbers.pop_back();
  return numbers;
}

// The newest release the feed names, or the failure to show.
std::variant<update::UpToDate, update::Available, update::Failed> readFeed(
    const core::HttpResponse& response, const std::string& currentVersion) {
  if (response.status != 200) {
    return update::Failed{fmt::format("The release feed answered with status {}.", response.status)};
  }
  const auto feed = nlohmann::json::parse(response.body, nullptr, false);
  if (!feed.is_object() || !feed.contains("version") || !feed["version"].is_string()) {
    return update::Failed{std::string(kUnreadableFeed)};
  }
  const auto version = feed["version"].get<std::string>();
  const auto newer = isNewerVersion(version, currentVersion);
  if (!newer) return update::Failed{std::string(kUnreadableFeed)};
  if (!*newer) return update::UpToDate{currentVersion};
  const auto url = feed.contains("url") && feed["url"].is_string() ? feed["url"].get<std::string>() : "";
  return update::Available{version, url};
}

}  // namespace

std::optional<bool> isNewerVersion(const std::string& candidate, const std::string& current) {
  const auto newer = versionNumbers(candidate);
  const auto old = versionNumbers(current);
  if (!newer || !old) return std::nullopt;
  return *newer > *old;
}

UpdateChecker::UpdateChecker(Options options, core::HttpTransport* transport, base::WorkerPool& pool,
                             platform::MainQueue& main)
    : options_(std::move(options)), transport_(transport), slot_(pool, main) {
  if (hasFeed()) {
    state_ = update::Idle{};
  } else {
    state_ = update::NoFeed{};
  }
}

std::string UpdateChecker::menuTitle() const {
  return hasFeed() ? "Check for Updates…" : "Updates Come from Your Package Manager";
}

void UpdateChecker::checkNow() {
  if (!hasFeed()) return;
  setState(update::Checking{});
  const core::HttpRequest request{
      .method = "GET", .url = *options_.feedUrl, .headers = {}, .body = {}, .timeout = options_.timeout};
  slot_.start([transport = transport_, request, version = options_.currentVersion](
                  std::stop_token stop) { return readFeed(transport->send(request, stop), version); },
              [this](std::variant<update::UpToDate, update::Available, update::Failed> outcome) {
                std::visit([this](auto& state) { setState(std::move(state)); }, outcome);
              },
              [this](const std::exception_ptr& error) {
                try {
                  std::rethrow_exception(error);
                } catch (const std::exception& failure) {
                  setState(update::Failed{failure.what()});
                } catch (...) {
                  setState(update::Failed{"The release feed could not be reached."});
                }
              });
}

std::string UpdateChecker::message() const {
  struct Words {
    std::string operator()(const update::NoFeed&) const {
      return "Quillo is updated by your package manager.";
    }
    std::string operator()(const update::Idle&) const { return ""; }
    std::string operator()(const update::Checking&) const { return "Checking for updates…"; }
    std::string operator()(const update::UpToDate& state) const {
      return fmt::format("Quillo {} is up to date.", state.version);
    }
    std::string operator()(const update::Available& state) const {
      return fmt::format("Quillo {} is available. Update it with your package manager.", state.version);
    }
    std::string operator()(const update::Failed& state) const {
      return fmt::format("Couldn’t check for updates. {}", state.message);
    }
  };
  return std::visit(Words{}, state_);
}

void UpdateChecker::setState(UpdateState state) {
  state_ = std::move(state);
  if (observer_) observer_();
}

}  // namespace quillo::app

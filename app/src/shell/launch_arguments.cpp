#include "quillo/app/shell/launch_arguments.h"

#include <algorithm>

namespace quillo::app {
namespace {

bool has(const std::vector<std::string>& arguments, std::string_view flag) {
  return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}

std::optional<std::string> valueAfter(const std::vector<std::string>& arguments, std::string_view flag) {
  const auto found = std::find(arguments.begin(), arguments.end(), flag);
  if (found == arguments.end() || std::next(found) == arguments.end()) return std::nullopt;
  return *std::next(found);
}

}  // namespace

LaunchArguments LaunchArguments::parse(const std::vector<std::string>& arguments) {
  LaunchArguments parsed;
  parsed.show = has(arguments, "--show");
  parsed.clipboard = has(arguments, "--clipboard");
  parsed.welcome = has(arguments, "--welcome");
  parsed.toggle = has(arguments, "--toggle");
  parsed.settings = has(arguments, "--settings");
  parsed.query = valueAfter(arguments, "--query");
  if (const auto folder = valueAfter(arguments, "--snapshot")) parsed.snapshotDirectory = *folder;
  return parsed;
}

std::vector<platform::InstanceRequest> LaunchArguments::requests(
    const std::optional<std::string>& activationToken) const {
  using Kind = platform::InstanceRequest::Kind;
  std::vector<platform::InstanceRequest> requests;
  const auto add = [&](Kind kind, std::optional<std::string> text = std::nullopt) {
    requests.push_back({.kind = kind, .query = std::move(text), .activationToken = activationToken});
  };
  if (toggle) add(Kind::toggle);
  if (show) add(Kind::show);
  if (query) add(Kind::query, query);
  if (clipboard) add(Kind::clipboard);
  if (settings) add(Kind::settings);
  return requests;
}

}  // namespace quillo::app

// The ranking service's speed: (1) ranking 254 candidates (the launcher's catalogue and menu
// commands) inside the service, from the request's JSON to the answer's, for every query of the
// evaluation set, with the candidates' analysis cached (as after the first question) and not;
// the same through HTTPS from the launcher's client; (2) the first answer after start: from
// starting quillo-ravo as the desktop app does to the answer of its first ranking request.
// Prints percentiles in milliseconds.
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>

#include "quillo/core/index/catalog.h"
#include "quillo/core/ranking/semantic_ranker.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/net/curl_transport.h"
#include "quillo/service/local_provisioning.h"
#include "quillo/service/operations.h"
#include "quillo/service/word_net.h"

namespace {

using namespace quillo;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kCandidates = 254;

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

std::string percentiles(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double share) {
    return samples[std::min(samples.size() - 1,
                            static_cast<std::size_t>(share * static_cast<double>(samples.size())))];
  };
  return fmt::format("{} | {:.2f} | {:.2f} | {:.2f} | {:.2f} |", samples.size(), at(0.5), at(0.9), at(0.99),
                     samples.back());
}

std::vector<std::string> queries() {
  std::ifstream file(QUILLO_BENCH_DATA "/ravo-evaluation.tsv");
  std::vector<std::string> list;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const std::size_t first = line.find('\t');
    list.push_back(line.substr(first + 1, line.find('\t', first + 1) - first - 1));
  }
  return list;
}

// The actions and panes, then menu commands of a few applications until there are 254.
std::vector<core::Command> candidates() {
  std::vector<core::Command> commands = core::Catalog::actionsTable("/home/user");
  for (core::Command& pane : core::Catalog::settingsTable("Menu Bar"))
    commands.push_back(std::move(pane));
  const std::vector<std::string> menus = {"File",   "Edit", "View",    "Format",
                                          "Window", "Help", "History", "Bookmarks"};
  const std::vector<std::string> items = {"New Window",   "New Tab",
                                          "Open File",    "Close Window",
                                          "Save As",      "Print",
                                          "Undo",         "Redo",
                                          "Cut",          "Copy",
                                          "Paste",        "Select All",
                                          "Find",         "Find Next",
                                          "Zoom In",      "Zoom Out",
                                          "Show Sidebar", "Enter Full Screen",
                                          "Minimize",     "Bring All to Front"};
  for (std::size_t i = 0; commands.size() < kCandidates; ++i) {
    const std::string title =
        items[i % items.size()] + (i >= items.size() ? " " + std::to_string(i / items.size()) : "");
    commands.emplace_back("menu." + std::to_string(i), title, core::Command::Kind::menuItem,
                          menus[i % menus.size()] + " menu", "", "", core::target::StopKeepingAwake{});
  }
  return commands;
}

nlohmann::json requestBody(const std::string& query, const std::vector<core::Command>& commands) {
  nlohmann::json list = nlohmann::json::array();
  for (const core::Command& command : commands)
    list.push_back(
        {{"kind", core::displayName(command.kind)}, {"title", command.title}, {"hint", command.hint}});
  return {
      {"query", query}, {"scope", {{"kind", "commands"}, {"includeWebSearch", true}}}, {"candidates", list}};
}

void inService(const std::vector<std::string>& queries, const std::vector<core::Command>& commands) {
  const service::WordNet wordNet(service::WordNet::kDefaultFolder);
  std::vector<double> cold;
  std::vector<double> warm;
  for (int round = 0; round < 5; ++round) {
    // A fresh service each round: its first questions meet candidates it has not analysed yet.
    const service::RavoOperations operations(service::Vocabulary::builtIn(), &wordNet);
    for (const std::string& query : queries) {
      const std::string body = requestBody(query, commands).dump();
      const auto start = Clock::now();
      const std::string answer = operations.rankCommands(nlohmann::json::parse(body)).dump();
      (&query == &queries.front() ? cold : warm).push_back(milliseconds(Clock::now() - start));
    }
  }
  fmt::print("| in the service, first question of a list | {}\n", percentiles(cold));
  fmt::print("| in the service, later questions | {}\n", percentiles(warm));
}

void throughHttps(const std::vector<std::string>& queries, const std::vector<core::Command>& commands,
                  const service::LocalService& local) {
  const auto client = std::make_shared<core::BackendClient>(
      local.connection.baseUrl, local.connection.signingKey, std::make_shared<core::FixedCredential>(""),
      net::makeCurlTransport({.extraCaFile = local.connection.certificate.string()}));
  std::vector<double> samples;
  for (int round = 0; round < 3; ++round) {
    for (const std::string& query : queries) {
      const auto start = Clock::now();
      client->commands(query, core::RavoQuestions::scope::Commands{}, commands, true);
      samples.push_back(milliseconds(Clock::now() - start));
    }
  }
  fmt::print("| through HTTPS from the client (new connection each) | {}\n", percentiles(samples));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: quillo-bench-ravo-speed QUILLO_RAVO WORK_FOLDER\n";
    return 2;
  }
  try {
    const auto list = queries();
    const auto commands = candidates();
    const std::filesystem::path work = argv[2];
    const service::LocalServicePaths paths{
        .configFolder = work / "config", .dataFolder = work / "data", .runtimeFolder = work / "run"};
    service::provisionLocalService(paths);
    fmt::print("Ranking {} candidates, {} queries (milliseconds).\n\n", commands.size(), list.size());
    fmt::print("| where | samples | p50 | p90 | p99 | max |\n|---|---:|---:|---:|---:|---:|\n");
    inService(list, commands);
    {
      const service::LocalService local = service::startLocalService(
          paths, {.executable = argv[1], .startTimeout = std::chrono::seconds(10)});
      throughHttps(list, commands, local);
    }
    std::vector<double> firstAnswers;
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      const service::LocalService local = service::startLocalService(
          paths, {.executable = argv[1], .startTimeout = std::chrono::seconds(10)});
      core::BackendClient client(
          local.connection.baseUrl, local.connection.signingKey, std::make_shared<core::FixedCredential>(""),
          net::makeCurlTransport({.extraCaFile = local.connection.certificate.string()}));
      client.commands("make it louder", core::RavoQuestions::scope::Commands{}, commands, true);
      firstAnswers.push_back(milliseconds(Clock::now() - start));
    }
    fmt::print("| first answer after start (start, announce, connect, rank) | {}\n",
               percentiles(firstAnswers));
  } catch (const std::exception& error) {
    std::cerr << "quillo-bench-ravo-speed: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

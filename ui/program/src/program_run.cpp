#include "program_run.h"

#include <fmt/format.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "desktop_program.h"
#include "diagnosis.h"
#include "quillo/app/shell/launch_arguments.h"
#include "quillo/platform/desktop/dbus_instance_channel.h"
#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "quillo/ui/style/desktop_appearance.h"
#include "snapshot.h"

namespace quillo::ui {
namespace {

using Content = app::LauncherPresentation::Content;

bool has(const std::vector<std::string>& arguments, std::string_view flag) {
  return std::ranges::find(arguments, flag) != arguments.end();
}

std::optional<std::string> activationToken() {
  for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return std::string(value);
  }
  return std::nullopt;
}

// True when a running instance took every request.
bool forwarded(const app::LaunchArguments& launch) {
  const auto requests = launch.requests(activationToken());
  if (requests.empty() || !platform::desktop::forwardToRunningInstance(requests.front())) return false;
  for (std::size_t i = 1; i < requests.size(); ++i)
    platform::desktop::forwardToRunningInstance(requests[i]);
  return true;
}

int diagnose(const std::vector<std::string>& arguments) {
  const auto facilities = platform::desktop::assess(platform::desktop::probeSession());
  fmt::print("{}", has(arguments, "--json") ? diagnosisJson(facilities) : diagnosisText(facilities));
  return 0;
}

// Runs Qt's events until `done` or the time is up.
bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limit.count()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

int snapshot(const app::LaunchArguments& launch) {
  DesktopProgram program({}, {.attach = false});
  program.start({});
  constexpr std::chrono::seconds settleLimit{10};
  program.application().show(Content::launcher);
  if (launch.query) program.components().searchModel().setQuery(*launch.query);
  if (!processEventsUntil([&] { return program.settled(); }, settleLimit))
    fmt::print(stderr, "quillo: the launcher did not settle; drawing it as it is\n");
  std::vector<std::filesystem::path> written;
  try {
    written =
        writeSnapshots(program.frontEnd().snapshotWindows(Content::launcher), *launch.snapshotDirectory);
    program.application().showClipboard();
    if (!processEventsUntil([&] { return program.settled(); }, settleLimit))
      fmt::print(stderr, "quillo: the clipboard history did not settle; drawing it as it is\n");
    for (auto& file :
         writeSnapshots(program.frontEnd().snapshotWindows(Content::clipboard), *launch.snapshotDirectory))
      written.push_back(std::move(file));
  } catch (const SnapshotError& error) {
    fmt::print(stderr, "quillo: {}\n", error.what());
    return 1;
  }
  program.shutdown();
  for (const auto& file : written)
    fmt::print("{}\n", file.string());
  return 0;
}

}  // namespace

int runProgram(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  if (has(arguments, "--diagnose")) return diagnose(arguments);
  const auto launch = app::LaunchArguments::parse(arguments);
  if (!launch.snapshotDirectory && forwarded(launch)) return 0;

  QApplication qt(argc, argv);
  QApplication::setApplicationName("quillo");
  QApplication::setDesktopFileName("dev.tarnwick.Quillo");
  QApplication::setQuitOnLastWindowClosed(false);
  const DesktopAppearance appearance;
  if (launch.snapshotDirectory) return snapshot(launch);

  DesktopProgram program(platform::desktop::probeSession());
  if (!program.start(arguments)) return 0;
  const int status = QApplication::exec();
  program.shutdown();
  return status;
}

}  // namespace quillo::ui

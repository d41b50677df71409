#include "keystroke_workload.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>
#include <string>

#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::bench {
namespace {

constexpr std::size_t kSyntheticCommands = 5000;
constexpr std::uint32_t kSeed = 20240611;

constexpr std::array<std::string_view, 16> kVerbs{
    "Show", "Open", "Export", "Select", "Restore", "Zoom",  "Toggle", "Move",
    "Copy", "Find", "Insert", "Format", "Share",   "Print", "Close",  "Duplicate"};
constexpr std::array<std::string_view, 24> kNouns{
    "Window", "Tab",   "Label",  "Display", "Network", "Template", "Layer",  "Folder",
    "Note",   "Page",  "Column", "Table",   "Image",   "Link",     "Filter", "Sidebar",
    "Font",   "Style", "Track",  "Marker",  "Account", "Message",  "Event",  "Project"};
constexpr std::array<std::string_view, 6> kSuffixes{"as PDF",   "to Clipboard", "in New Window",
                                                    "Settings", "All",          "Again"};

}  // namespace

std::vector<core::Command> keystrokeCommands() {
  const platform::posix::PosixSystem system;
  const platform::posix::PosixFileSystem files;
  std::vector<core::Command> all =
      core::CommandIndex::system(system, files, core::ApplicationRoots{}).commands();
  std::mt19937 rng(kSeed);
  auto pick = [&rng](const auto& words) { return std::string(words[rng() % words.size()]); };
  for (std::size_t i = 0; i < kSyntheticCommands; ++i) {
    std::string title = pick(kVerbs) + " " + pick(kNouns);
    if (rng() % 2 == 0) title += " " + pick(kNouns);
    if (rng() % 4 == 0) title += " " + pick(kSuffixes);
    all.emplace_back("action.synthetic." + std::to_string(i), title, core::Command::Kind::action, "", "", "",
                     core::target::Shell{"echo " + std::to_string(i)});
  }
  return all;
}

double threadCpuMicros() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[std::min(samples.size(), std::max<std::size_t>(rank, 1)) - 1];
}

}  // namespace quillo::bench

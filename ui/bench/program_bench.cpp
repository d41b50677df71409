// The desktop program as a user meets it, on a display: from process start to the panel painted
// with --show, from the launcher shortcut (an XTest press) to the panel painted, from a key typed
// in the panel to its rows painted, with 5,000 applications in the launcher and a 10,000-entry
// clipboard history; then resident memory and the processor time of an idle stretch. The program
// times its own paints (QUILLO_PAINT_LOG). Run on a display of its own:
//   scripts/with-test-desktop quillo-bench-program PATH/TO/quillo
#include <linux/input-event-codes.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "quillo/clipboard/clipboard_store.h"
#include "quillo/platform/desktop/xcb_connection.h"

namespace fs = std::filesystem;
using quillo::platform::desktop::XcbConnection;

namespace {

constexpr int kApplications = 5000;
constexpr int kHistory = 10'000;

long long monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// The paints the program logged, read as they come.
class PaintLog {
 public:
  explicit PaintLog(fs::path file) : file_(std::move(file)) {}
  // The first paint after `after`, waiting up to five seconds; -1 when none came.
  long long paintAfter(long long after) {
    const long long end = monotonicNow() + 5'000'000'000LL;
    while (monotonicNow() < end) {
      std::ifstream in(file_);
      in.seekg(offset_);
      std::string line;
      while (std::getline(in, line)) {
        offset_ += static_cast<std::streamoff>(line.size() + 1);
        const long long at = std::stoll(line);
        if (at > after) return at;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
  }
  void skipToEnd() {
    std::error_code error;
    offset_ = static_cast<std::streamoff>(fs::file_size(file_, error));
  }

 private:
  fs::path file_;
  std::streamoff offset_ = 0;
};

void writeApplications(const fs::path& folder) {
  static const char* words[] = {"Photo", "Music", "Note",  "Mail", "Code",
                                "Chart", "Map",   "Clock", "Draw", "Scan"};
  fs::create_directories(folder);
  for (int i = 0; i < kApplications; ++i) {
    std::ofstream(folder / ("bench-app-" + std::to_string(i) + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=" << words[i % 10] << ' ' << words[(i / 10) % 10] << ' '
        << i << "\nExec=/bin/true\nComment=Benchmark application " << i << "\n";
  }
}

void writeHistory(const fs::path& file) {
  using namespace quillo::clipboard;
  fs::create_directories(file.parent_path());
  ClipboardStore store(file);
  const ClipboardLimits limits{
      .retentionDays = 100000, .bytes = std::int64_t{4} << 30, .count = kHistory, .tokenLifetime = 3600};
  std::mt19937_64 random(20261206);
  const double now = static_cast<double>(std::time(nullptr));
  for (int i = 0; i < kHistory; ++i) {
    const std::string text = "copied text number " + std::to_string(i) + " " + std::to_string(random());
    ClipboardEntry::Fields fields{
        .title = text, .text = text, .sourceAppID = "bench", .sourceAppName = "Bench"};
    fields.id = quillo::base::Uuid::random();
    fields.copiedAt = quillo::base::Date{now - (kHistory - i)};
    store.save(ClipboardEntry(std::move(fields)), ClipboardPayload::text(text), {}, limits,
               quillo::base::Date{now - (kHistory - i)});
  }
}

struct Summary {
  double p50 = 0, p99 = 0, max = 0;
};
Summary summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto at = [&](double q) {
    return values[std::min(values.size() - 1, std::size_t(q * values.size()))];
  };
  return {at(0.5), at(0.99), values.back()};
}

long residentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Resident kilobytes by kind: the process's own anonymous memory (heap, stacks) and pages of
// mapped files (libraries, data files), some of them shared with other processes.
struct Resident {
  long anonymous = 0;
  long files = 0;
};
Resident residentByKind(pid_t pid) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string line;
  long rss = 0;
  Resident resident;
  while (std::getline(rollup, line)) {
    std::istringstream fields(line);
    std::string name;
    long kilobytes = 0;
    fields >> name >> kilobytes;
    if (name == "Rss:") rss = kilobytes;
    if (name == "Anonymous:") resident.anonymous = kilobytes;
  }
  resident.files = rss - resident.anonymous;
  return resident;
}

// Resident kilobytes per mapped file (its base name) and for anonymous memory as a whole, the
// largest first: which libraries' pages the process keeps, and how much is its own data.
std::vector<std::pair<std::string, long>> residentByMapping(pid_t pid) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  std::map<std::string, long> sizes;
  std::string line;
  std::string name;
  while (std::getline(smaps, line)) {
    std::istringstream fields(line);
    std::string first;
    fields >> first;
    if (first.find('-') != std::string::npos && first.back() != ':') {
      std::string permissions, offset, device, inode, path;
      fields >> permissions >> offset >> device >> inode;
      std::getline(fields >> std::ws, path);
      name = path.empty() || path[0] == '[' ? "(anonymous)" : fs::path(path).filename().string();
    } else if (first == "Rss:") {
      long kilobytes = 0;
      fields >> kilobytes;
      sizes[name] += kilobytes;
    } else if (first == "Anonymous:" && name != "(anonymous)") {
      // Pages of a file mapping written to (relocations, data) are the process's own.
      long kilobytes = 0;
      fields >> kilobytes;
      sizes[name] -= kilobytes;
      sizes["(anonymous)"] += kilobytes;
    }
  }
  std::vector<std::pair<std::string, long>> sorted(sizes.begin(), sizes.end());
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  return sorted;
}

double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14 || index == 15) ticks += std::stol(field);
    if (index == 15) break;
  }
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Keyboard {
  XcbConnection connection;
  void key(std::uint8_t type, std::uint16_t evdev) {
    xcb_test_fake_input(connection.get(), type, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME,
                        connection.root(), 0, 0, 0);
    connection.flush();
  }
  void tap(std::uint16_t evdev) {
    key(XCB_KEY_PRESS, evdev);
    key(XCB_KEY_RELEASE, evdev);
  }
  void shortcut() {
    key(XCB_KEY_PRESS, KEY_LEFTMETA);
    key(XCB_KEY_PRESS, KEY_SPACE);
    key(XCB_KEY_RELEASE, KEY_SPACE);
    key(XCB_KEY_RELEASE, KEY_LEFTMETA);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quillo-bench-program PATH/TO/quillo\n");
    return 2;
  }
  const fs::path work = fs::temp_directory_path() / ("quillo-bench-program-" + std::to_string(getpid()));
  fs::create_directories(work / "home");
  writeApplications(work / "data/applications");
  writeHistory(work / "data/quillo/Clipboard/history.sqlite");
  const fs::path log = work / "paints.log";
  std::ofstream(log).close();
  fs::create_directories(work / "config/quillo");
  // Recording on, and the launcher opening on the commands (the 5,000 applications).
  std::ofstream(work / "config/quillo/defaults.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>clipboard.enabled</key><true/><key>openingScope</key><string>mac</string><key>welcomeShown</"
         "key><true/>"
         "</dict></plist>\n";

  PaintLog paints(log);
  const long long started = monotonicNow();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", (work / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (work / "system").c_str(), 1);
    setenv("XDG_CACHE_HOME", (work / "cache").c_str(), 1);
    setenv("XDG_STATE_HOME", (work / "state").c_str(), 1);
    setenv("QUILLO_PAINT_LOG", log.c_str(), 1);
    execl(argv[1], argv[1], "--show", static_cast<char*>(nullptr));
    _exit(127);
  }
  const long long firstPaint = paints.paintAfter(started);
  if (firstPaint < 0) {
    std::fprintf(stderr, "the panel was never painted\n");
    kill(pid, SIGTERM);
    return 1;
  }
  std::printf("## The desktop program on Xvfb\n\n");
  std::printf("- %d applications in the launcher, %d entries in the clipboard history\n", kApplications,
              kHistory);
  std::printf("- process start to the panel painted with --show: %.1f ms\n\n", (firstPaint - started) / 1e6);
  // Let the index load and the first searches settle.
  std::this_thread::sleep_for(std::chrono::seconds(3));

  Keyboard keyboard;
  keyboard.tap(KEY_ESC);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  std::vector<double> shows;
  for (int round = 0; round < 60; ++round) {
    paints.skipToEnd();
    const long long pressed = monotonicNow();
    keyboard.shortcut();
    const long long painted = paints.paintAfter(pressed);
    if (painted > 0) shows.push_back((painted - pressed) / 1e6);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    keyboard.tap(KEY_ESC);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }

  keyboard.shortcut();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::vector<double> keys;
  const std::uint16_t letters[] = {KEY_M, KEY_A, KEY_P, KEY_C, KEY_O, KEY_D, KEY_E};
  for (int round = 0; round < 200; ++round) {
    const bool erase = round % 2 == 1;
    paints.skipToEnd();
    const long long pressed = monotonicNow();
    keyboard.tap(erase ? KEY_BACKSPACE : letters[(round / 2) % 7]);
    const long long painted = paints.paintAfter(pressed);
    if (painted > 0) keys.push_back((painted - pressed) / 1e6);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  keyboard.tap(KEY_ESC);

  const auto show = summarise(shows);
  const auto key = summarise(keys);
  std::printf("| from | to | runs | p50 (ms) | p99 (ms) | max (ms) |\n|---|---|---|---|---|---|\n");
  std::printf("| the launcher shortcut (XTest) | the panel painted | %zu | %.1f | %.1f | %.1f |\n",
              shows.size(), show.p50, show.p99, show.max);
  std::printf("| a key typed in the panel (XTest) | its rows painted | %zu | %.1f | %.1f | %.1f |\n\n",
              keys.size(), key.p50, key.p99, key.max);

  // The program settles on its own schedule (the history's load, the catalogue read twice: at
  // the start and again once the local ranking service answers, each followed by a trim), so the
  // reading waits until resident memory has stopped moving: no change beyond 0.1 MB over three
  // seconds, then two more seconds.
  const auto settleStarted = std::chrono::steady_clock::now();
  for (long last = residentKilobytes(pid), steady = 0; steady < 6;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long now = residentKilobytes(pid);
    steady = std::labs(now - last) <= 100 ? steady + 1 : 0;
    if (steady == 0) last = now;
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double settleSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - settleStarted).count();
  const Resident resident = residentByKind(pid);
  std::printf(
      "- resident memory with the panel hidden: %.1f MB (%.1f MB anonymous, %.1f MB of mapped files)\n",
      residentKilobytes(pid) / 1024.0, resident.anonymous / 1024.0, resident.files / 1024.0);
  std::printf("- settled %.1f s after the last key\n", settleSeconds);
  std::printf("\n| resident | MB |\n|---|---|\n");
  const auto mappings = residentByMapping(pid);
  for (std::size_t index = 0; index < std::min<std::size_t>(16, mappings.size()); ++index)
    std::printf("| %s | %.1f |\n", mappings[index].first.c_str(), mappings[index].second / 1024.0);
  std::printf("\n");
  // Whoever watches the output may look at the process while it idles.
  std::fflush(stdout);
  constexpr int kIdleSeconds = 20;
  const double before = cpuSeconds(pid);
  std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
  const double idle = cpuSeconds(pid) - before;
  std::printf("- processor time while idle for %d s: %.0f ms (%.3f%% of a core)\n", kIdleSeconds, idle * 1000,
              idle / kIdleSeconds * 100);

  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  fs::remove_all(work);
  return shows.size() == 60 && keys.size() == 200 ? 0 : 1;
}

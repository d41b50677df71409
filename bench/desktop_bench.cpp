// The launcher's catalogue on a Linux desktop with 300 applications: reading their desktop
// entries over GIO, building the whole system index (applications, their actions, settings panes
// and actions with the tools found on PATH), and `quillo-cli search firefox` as a whole process,
// start to exit. The entries and tools are generated in a temporary folder; the page cache is
// warm after the first iteration.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/core/index/command_index.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/gio/gio_library.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 300;
constexpr std::array<std::string_view, 12> kWords{"Office", "Photo", "Music", "Video", "Mail",  "Chat",
                                                  "Code",   "Disk",  "Maps",  "Notes", "Games", "Paint"};
constexpr std::array<std::string_view, 9> kTools{"pactl",
                                                 "loginctl",
                                                 "systemctl",
                                                 "gdbus",
                                                 "sleep",
                                                 "gnome-session-inhibit",
                                                 "gnome-screenshot",
                                                 "xset",
                                                 "gnome-control-center"};

void write(const fs::path& path, const std::string& text) {
  std::ofstream file(path);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

// An entry as distributions ship them: translated names, a generic name, keywords, categories,
// and actions on every tenth.
std::string entry(int index) {
  const std::string word(kWords[index % kWords.size()]);
  const std::string name = index == 0 ? "Firefox" : word + " Tool " + std::to_string(index);
  std::string text = "[Desktop Entry]\nType=Application\nName=" + name + "\nName[de]=" + name +
                     " (de)\nName[fr]=" + name + " (fr)\nGenericName=" + word +
                     " application\nComment=Work with " + word + " files\nKeywords=" + word +
                     ";tool;\nIcon=app-" + std::to_string(index) +
                     "\nExec=/bin/true %U\nTerminal=false\nCategories=Utility;" + word + ";\n";
  if (index % 10 == 0) {
    text +=
        "Actions=new-window;private;\n\n[Desktop Action new-window]\nName=New Window\nExec=/bin/true\n\n"
        "[Desktop Action private]\nName=New Private Window\nExec=/bin/true\n";
  }
  return text;
}

struct Desktop {
  fs::path root;
  fs::path entries;
  fs::path tools;

  Desktop() {
    char folder[] = "/tmp/quillo-desktop-bench.XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no temporary folder");
    root = folder;
    entries = root / "applications";
    tools = root / "bin";
    fs::create_directories(entries);
    fs::create_directories(tools);
    for (int index = 0; index < kEntries; ++index)
      write(entries / ("org.example.app" + std::to_string(index) + ".desktop"), entry(index));
    for (const std::string_view tool : kTools) {
      write(tools / tool, "#!/bin/sh\n");
      fs::permissions(tools / tool, fs::perms::owner_all);
    }
  }
  ~Desktop() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

const Desktop& desktop() {
  static const Desktop generated;
  return generated;
}

quillo::gio::DesktopEntryOptions options() {
  return {.folders = {desktop().entries}, .currentDesktops = {"GNOME"}, .locale = "en_US"};
}

void ReadDesktopEntries(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(quillo::gio::readDesktopEntries(options()));
}
BENCHMARK(ReadDesktopEntries)->Unit(benchmark::kMillisecond);

void BuildLinuxSystemIndex(benchmark::State& state) {
  const quillo::platform::posix::PosixSystem system;
  const quillo::platform::posix::PosixFileSystem files;
  for (auto _ : state) {
    const auto tools =
        quillo::core::LinuxTools::find({}, quillo::core::pathLookup(files, desktop().tools.string()));
    auto sources = quillo::core::SystemSources::linuxDesktop(
        quillo::gio::readDesktopEntries(options()).applications, tools,
        quillo::core::Catalog::UserFolders::inHome("/home/a"));
    const auto index = quillo::core::CommandIndex::system(system, files, {}, sources);
    benchmark::DoNotOptimize(index.size());
  }
}
BENCHMARK(BuildLinuxSystemIndex)->Unit(benchmark::kMillisecond);

// quillo-cli search firefox from process start to exit, its output thrown away.
void CliSearchFirefox(benchmark::State& state) {
  const std::string path = "PATH=" + desktop().tools.string() + ":/usr/bin:/bin";
  const std::string entries = desktop().entries.string();
  std::vector<std::string> arguments{QUILLO_CLI_PATH, "search", "--desktop-entries", entries, "firefox"};
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables{path, "XDG_CURRENT_DESKTOP=GNOME", "HOME=" + desktop().root.string()};
  std::vector<char*> envp;
  for (std::string& variable : variables)
    envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  // The machine may be shared: the children's own processor time is reported beside the wall time.
  rusage before{};
  getrusage(RUSAGE_CHILDREN, &before);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
      state.SkipWithError("quillo-cli did not start");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("quillo-cli search failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  rusage after{};
  getrusage(RUSAGE_CHILDREN, &after);
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6;
  };
  const double cpu =
      seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime);
  state.counters["child_cpu_ms"] = benchmark::Counter(cpu * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(CliSearchFirefox)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

// Per-keystroke cost of CommandIndex::search over a launcher-sized index: the system index
// (application bundles, settings panes, actions) plus 5,000 synthetic commands. Every query is
// typed one key at a time and each prefix is a separate search, as the launcher does it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace {

namespace fs = std::filesystem;
using quillo::core::Command;
using quillo::core::CommandIndex;

constexpr std::size_t kSyntheticCommands = 5000;
constexpr std::size_t kMaxTyped = 12;
constexpr std::size_t kLimit = 8;
// Fixed so that every run searches the same index.
constexpr std::uint32_t kSeed = 20240611;

// Well-known application names; the rest of the folder is made up from kBrands x kProducts.
constexpr std::array<std::string_view, 80> kKnownApps{
    "Safari",
    "Mail",
    "Calendar",
    "Contacts",
    "Messages",
    "FaceTime",
    "Maps",
    "Photos",
    "Music",
    "Podcasts",
    "TV",
    "News",
    "Notes",
    "Reminders",
    "Preview",
    "TextEdit",
    "Terminal",
    "Console",
    "Activity Monitor",
    "Disk Utility",
    "Keychain Access",
    "Font Book",
    "Screenshot",
    "QuickTime Player",
    "System Settings",
    "System Information",
    "Script Editor",
    "Automator",
    "Shortcuts",
    "Freeform",
    "Stocks",
    "Home",
    "Find My",
    "Books",
    "App Store",
    "Calculator",
    "Chess",
    "Dictionary",
    "Image Capture",
    "Migration Assistant",
    "Passwords",
    "Digital Color Meter",
    "Time Machine",
    "Weather",
    "Clock",
    "Voice Memos",
    "Photo Booth",
    "Mission Control",
    "Launchpad",
    "Stickies",
    "Xcode",
    "Visual Studio Code",
    "Firefox",
    "Google Chrome",
    "Slack",
    "Zoom",
    "Spotify",
    "Discord",
    "Microsoft Word",
    "Microsoft Excel",
    "Microsoft Outlook",
    "Microsoft PowerPoint",
    "Keynote",
    "Pages",
    "Numbers",
    "GarageBand",
    "iMovie",
    "Final Cut Pro",
    "Logic Pro",
    "Pixelmator Pro",
    "Affinity Photo",
    "Figma",
    "Sketch",
    "1Password",
    "Bitwarden",
    "Docker",
    "Postman",
    "iTerm",
    "Obsidian",
    "Notion",
};
constexpr std::array<std::string_view, 10> kBrands{
    "Nimbus", "Copper", "Orbit", "Quartz", "Harbor", "Maple", "Vector", "Ember", "Tide", "Lumen",
};
constexpr std::array<std::string_view, 7> kProducts{
    "Studio", "Notes", "Sync", "Reader", "Mixer", "Tracker", "Viewer",
};
constexpr std::array<std::string_view, 12> kCategories{
    "productivity", "developer-tools", "utilities",         "graphics-design", "music",     "video",
    "photography",  "business",        "social-networking", "finance",         "education", "games",
};

constexpr std::array<std::string_view, 50> kVerbs{
    "Open",    "Close",     "New",    "Show",   "Hide",    "Toggle", "Export",  "Import",  "Copy",
    "Paste",   "Duplicate", "Rename", "Move",   "Archive", "Share",  "Print",   "Find",    "Replace",
    "Insert",  "Delete",    "Merge",  "Split",  "Sort",    "Filter", "Refresh", "Sync",    "Convert",
    "Format",  "Zoom",      "Align",  "Rotate", "Crop",    "Resize", "Start",   "Stop",    "Pause",
    "Resume",  "Record",    "Mark",   "Pin",    "Lock",    "Send",   "Reply",   "Forward", "Search",
    "Compare", "Restore",   "Clear",  "Select", "Group",
};
constexpr std::array<std::string_view, 80> kNouns{
    "Window",    "Tab",      "Document",     "Project",     "Folder",   "File",        "Selection",
    "Clipboard", "Page",     "Paragraph",    "Heading",     "Table",    "Column",      "Row",
    "Cell",      "Image",    "Layer",        "Track",       "Playlist", "Message",     "Thread",
    "Contact",   "Event",    "Calendar",     "Reminder",    "Note",     "Bookmark",    "History",
    "Download",  "Sidebar",  "Toolbar",      "Inspector",   "Preview",  "Outline",     "Comment",
    "Branch",    "Commit",   "Terminal",     "Session",     "Meeting",  "Invoice",     "Report",
    "Chart",     "Slide",    "Presentation", "Spreadsheet", "Sheet",    "Workspace",   "Panel",
    "Style",     "Font",     "Color",        "Brush",       "Canvas",   "Timeline",    "Marker",
    "Clip",      "Screen",   "Display",      "Audio",       "Video",    "Printer",     "Network",
    "Server",    "Database", "Query",        "Snippet",     "Template", "Draft",       "Label",
    "Tag",       "Account",  "Profile",      "Password",    "Key",      "Certificate", "Backup",
    "Volume",    "Theme",    "Mode",
};
constexpr std::array<std::string_view, 12> kQualifiers{
    "All",    "Current", "Next",  "Previous", "Selected", "Recent",
    "Shared", "Dark",    "Light", "Quick",    "Private",  "Last",
};
constexpr std::array<std::string_view, 8> kSuffixes{
    "to Clipboard", "as PDF",      "in New Window", "with Formatting",
    "to Desktop",   "as Markdown", "for Everyone",  "in Background",
};

template <std::size_t N>
std::string_view pick(std::mt19937& rng, const std::array<std::string_view, N>& words) {
  // Modulo of the raw output, unlike the standard distributions, gives the same titles with every
  // standard library.
  return words[rng() % N];
}

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// A folder of application bundles laid out like /Applications, with a "Utilities" folder one
// level down. Removed when the index has been built: the index reads bundles only once.
class ApplicationsFolder {
 public:
  ApplicationsFolder() {
    std::string pattern = (fs::temp_directory_path() / "quillo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    fs::create_directories(root_ / "Utilities");

    std::vector<std::string> names(kKnownApps.begin(), kKnownApps.end());
    for (std::string_view brand : kBrands) {
      for (std::string_view product : kProducts)
        names.push_back(std::string(brand) + " " + std::string(product));
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      const fs::path folder = i % 10 == 9 ? root_ / "Utilities" : root_;
      // Two apps in three declare a category, as most App Store apps do.
      const std::string_view category = i % 3 == 2 ? "" : kCategories[i % kCategories.size()];
      writeBundle(folder / (names[i] + ".app"), names[i], i, category);
    }
    bundleCount_ = names.size();
  }
  ~ApplicationsFolder() {
    std::error_code error;
    fs::remove_all(root_, error);
  }
  ApplicationsFolder(const ApplicationsFolder&) = delete;
  ApplicationsFolder& operator=(const ApplicationsFolder&) = delete;

  const fs::path& root() const { return root_; }
  std::size_t bundleCount() const { return bundleCount_; }

 private:
  static void writeBundle(const fs::path& bundle, const std::string& name, std::size_t number,
                          std::string_view category) {
    fs::create_directories(bundle / "Contents");
    std::ofstream plist(bundle / "Contents" / "Info.plist", std::ios::binary);
    plist << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
             "<plist version=\"1.0\">\n<dict>\n"
          << "  <key>CFBundleName</key>\n  <string>" << name << "</string>\n"
          << "  <key>CFBundleIdentifier</key>\n  <string>com.example.app" << number << "</string>\n"
          << "  <key>CFBundlePackageType</key>\n  <string>APPL</string>\n";
    if (!category.empty()) {
      plist << "  <key>LSApplicationCategoryType</key>\n  <string>public.app-category." << category
            << "</string>\n";
    }
    plist << "</dict>\n</plist>\n";
    if (!plist) throw std::runtime_error("cannot write " + bundle.string());
  }

  fs::path root_;
  std::size_t bundleCount_ = 0;
};

std::vector<Command> syntheticCommands() {
  std::mt19937 rng(kSeed);
  std::vector<Command> commands;
  commands.reserve(kSyntheticCommands);
  for (std::size_t i = 0; i < kSyntheticCommands; ++i) {
    // Two to five words: a verb, perhaps a qualifier, one or two nouns, perhaps a suffix.
    std::string title(pick(rng, kVerbs));
    if (rng() % 3 == 0) title.append(" ").append(pick(rng, kQualifiers));
    title.append(" ").append(pick(rng, kNouns));
    if (rng() % 2 == 0) title.append(" ").append(pick(rng, kNouns));
    if (rng() % 4 == 0) title.append(" ").append(pick(rng, kSuffixes));

    const std::string key = std::to_string(i);
    switch (i % 3) {
      case 0:
        commands.emplace_back(
            "app.synthetic." + key, title, Command::Kind::app, "", "", "",
            quillo::core::target::App{quillo::base::Url::file("/Applications/" + title + ".app")});
        break;
      case 1:
        commands.emplace_back("action.synthetic." + key, title, Command::Kind::action, "", "", "",
                              quillo::core::target::Shell{"echo " + key});
        break;
      default:
        commands.emplace_back("menu.synthetic." + key, title, Command::Kind::menuItem, "", "", "\u2318" + key,
                              quillo::core::target::Shell{"menu " + key});
        break;
    }
  }
  return commands;
}

// The index, the usage and the keystrokes every benchmark shares; built once per process.
struct Fixture {
  CommandIndex index;
  std::size_t systemCommands = 0;
  std::size_t installedApps = 0;
  quillo::core::UsageCounts usage;
  std::vector<std::string> queries;
  // Every prefix of every query, 1 to kMaxTyped characters, in typing order.
  std::vector<std::string_view> keystrokes;

  static const Fixture& get() {
    static const Fixture fixture = build();
    return fixture;
  }

 private:
  explicit Fixture(CommandIndex built) : index(std::move(built)) {}

  static Fixture build() {
    const quillo::platform::posix::PosixSystem system;
    const quillo::platform::posix::PosixFileSystem files;
    std::vector<Command> commands;
    std::size_t apps = 0;
    std::size_t bundles = 0;
    {
      const ApplicationsFolder folder;
      bundles = folder.bundleCount();
      const quillo::core::ApplicationRoots roots{.folders = {folder.root()}, .bundles = {}};
      commands = CommandIndex::system(system, files, roots).commands();
      apps = static_cast<std::size_t>(
          std::count_if(commands.begin(), commands.end(),
                        [](const Command& command) { return command.kind == Command::Kind::app; }));
    }
    // A benchmark that silently lost its applications would measure a smaller index.
    if (apps != bundles) {
      throw std::runtime_error("the index holds " + std::to_string(apps) + " applications, expected " +
                               std::to_string(bundles));
    }
    const std::size_t systemCount = commands.size();
    std::vector<Command> synthetic = syntheticCommands();
    commands.insert(commands.end(), synthetic.begin(), synthetic.end());

    Fixture fixture(CommandIndex(std::move(commands)));
    fixture.systemCommands = systemCount;
    fixture.installedApps = apps;

    // A few commands used often, as after some weeks of use.
    fixture.usage["action.Lock Screen"] = 14;
    fixture.usage["action.Keep Awake"] = 6;
    fixture.usage["action.Set Volume"] = 3;
    fixture.usage["action.synthetic.1"] = 9;
    fixture.usage["menu.synthetic.2"] = 2;
    for (const Command& command : fixture.index.commands()) {
      if (command.kind == Command::Kind::app && command.title == "Safari") fixture.usage[command.id] = 21;
    }

    fixture.queries = {
        "screenshot",   "volume",     "lock",       "keep awake", "wifi",      "bluetooth",
        "dark mode",    "doc",        "terminal",   "safari",     "downloads", "display",
        "activity mon", "new window", "export pdf", "zzqxjv",     "jjvvkwq",
    };
    // Prefixes of synthetic titles, as typed: lower case.
    for (const std::size_t i : {42u, 2718u, 4900u}) {
      fixture.queries.push_back(lowered(synthetic[i].title).substr(0, kMaxTyped));
    }
    for (const std::string& query : fixture.queries) {
      for (std::size_t length = 1; length <= std::min(query.size(), kMaxTyped); ++length) {
        fixture.keystrokes.push_back(std::string_view(query).substr(0, length));
      }
    }
    return fixture;
  }
};

// Nearest-rank percentile of sorted samples.
double percentile(const std::vector<double>& sorted, double fraction) {
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

using Clock = std::chrono::steady_clock;

// Types every query one key at a time; one iteration is every keystroke of every query.
// Each keystroke's wall time is also kept, for its p50, p99 and maximum in microseconds.
void BM_TypeQueries(benchmark::State& state) {
  const Fixture& fixture = Fixture::get();
  std::vector<double> latencies;
  for (auto _ : state) {
    for (const std::string_view typed : fixture.keystrokes) {
      const auto start = Clock::now();
      {
        // Freeing the hits is part of the keystroke's cost.
        auto hits = fixture.index.search(typed, fixture.usage, kLimit);
        benchmark::DoNotOptimize(hits.data());
      }
      const auto end = Clock::now();
      latencies.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
  }
  std::sort(latencies.begin(), latencies.end());
  const auto perIteration = static_cast<double>(fixture.keystrokes.size());
  state.counters["commands"] = static_cast<double>(fixture.index.size());
  state.counters["keystrokes"] = perIteration;
  state.counters["per_keystroke"] = benchmark::Counter(
      perIteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["p50_us"] = percentile(latencies, 0.50);
  state.counters["p99_us"] = percentile(latencies, 0.99);
  state.counters["max_us"] = latencies.back();
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(fixture.keystrokes.size()));
}
BENCHMARK(BM_TypeQueries)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The same keystrokes grouped by how much has been typed: short queries match the most titles.
void BM_KeystrokeByLength(benchmark::State& state) {
  const Fixture& fixture = Fixture::get();
  const auto length = static_cast<std::size_t>(state.range(0));
  std::vector<std::string_view> typed;
  for (const std::string_view keystroke : fixture.keystrokes) {
    if (keystroke.size() == length) typed.push_back(keystroke);
  }
  for (auto _ : state) {
    for (const std::string_view query : typed) {
      auto hits = fixture.index.search(query, fixture.usage, kLimit);
      benchmark::DoNotOptimize(hits.data());
    }
  }
  const auto perIteration = static_cast<double>(typed.size());
  state.counters["queries"] = perIteration;
  state.counters["per_keystroke"] = benchmark::Counter(
      perIteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeystrokeByLength)
    ->DenseRange(1, static_cast<int>(kMaxTyped))
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    const Fixture& fixture = Fixture::get();
    benchmark::AddCustomContext(
        "index", std::to_string(fixture.index.size()) +
                     " commands: " + std::to_string(fixture.installedApps) + " applications, " +
                     std::to_string(fixture.systemCommands - fixture.installedApps) +
                     " settings and actions, " + std::to_string(kSyntheticCommands) + " synthetic");
    benchmark::AddCustomContext("typing", std::to_string(fixture.queries.size()) + " queries, " +
                                              std::to_string(fixture.keystrokes.size()) +
                                              " keystrokes, limit " + std::to_string(kLimit));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillo-bench-command-index: %s\n", error.what());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

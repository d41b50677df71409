#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quillo/core/capabilities/capability_target.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/index/catalog.h"
#include "quillo/core/index/desktop_application.h"
#include "quillo/core/matching/match_target.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/core/values/parsed_query.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::core {

// How often each command was run, by command id.
using UsageCounts = std::unordered_map<std::string, int>;

// Where installed applications are looked for: folders searched one level deep, and bundles
// taken as they are.
struct ApplicationRoots {
  std::vector<std::filesystem::path> folders;
  std::vector<std::filesystem::path> bundles;

  // The system's application folders, the user's own, and the file manager.
  static ApplicationRoots standard(const platform::System& system);
};

// What the system index lists besides application bundles: the desktop's applications, and the
// settings panes and actions of the platform it runs on.
struct SystemSources {
  std::vector<DesktopApplication> desktopApplications;
  std::vector<Command> settings;
  std::vector<Command> actions;

  // The Mac tables of the catalogue, without desktop entries.
  static SystemSources macOS(const platform::System& system);
  // A Linux desktop's: its applications, the panes its settings program has and the actions its
  // tools run (Catalog::linuxSettingsTable, Catalog::linuxActionsTable).
  static SystemSources linuxDesktop(std::vector<DesktopApplication> applications, const LinuxTools& tools,
                                    const Catalog::UserFolders& folders);
};

struct CommandIndexOptions {
  // Reads typed values out of a query ("volume 20%" gives 20% and the remainder "volume").
  // Without one no query carries values, and a parameterised action is matched by the whole
  // query only.
  ParsedQuery (*parseValues)(std::string_view text) = ParameterParser::parse;
};

// The launcher's local search over a fixed list of commands: built once, never mutated, and
// safe to search from several threads at once.
class CommandIndex {
 public:
  using Options = CommandIndexOptions;

  explicit CommandIndex(std::vector<Command> commands, Options options = {});

  // The installed applications, the settings panes, the Mac actions, and the commands of the
  // scriptable applications among the installed ones and the system's. Reads the file system.
  static CommandIndex system(const platform::System& system, const platform::FileSystem& files,
                             const ApplicationRoots& roots, Options options = {});
  // The same over the given sources: the bundles under `roots` and the desktop applications
  // together, then the sources' settings panes and actions, then the scriptable applications'.
  static CommandIndex system(const platform::System& system, const platform::FileSystem& files,
                             const ApplicationRoots& roots, const SystemSources& sources,
                             Options options = {});

  // One command per application bundle under `roots` (the first of each name wins), sorted by
  // title for `locale`.
  static std::vector<Command> installedApps(const platform::FileSystem& files, const ApplicationRoots& roots,
                                            const std::string& locale);
  // The same with desktop applications after the bundles: one command per application (id "app."
  // and its desktop-file id) followed by one per action of it ("Firefox: New Private Window"),
  // an application whose name a bundle or an earlier entry took left out, all sorted by title.
  static std::vector<Command> installedApps(const platform::FileSystem& files, const ApplicationRoots& roots,
                                            const std::vector<DesktopApplication>& desktopApplications,
                                            const std::string& locale);

  // The commands of all entries, in the order the index was built from.
  std::vector<Command> commands() const;
  std::size_t size() const noexcept { return entries_.size(); }

  // The best local hits for the typed text, best first: by score, then title, then the order the
  // index was built from. Past use adds up to FuzzyMatcher::maxUsageBonus but never lifts a
  // scattered match into the strong band. An empty query lists the most used commands, score 0.
  std::vector<LocalHit> search(std::string_view query, const UsageCounts& usage, std::size_t limit) const;

 private:
  struct Entry {
    Command command;
    MatchTarget target;
    // Scriptable-application commands are scored by their own scorer, which names the
    // capability's words and choices rather than its title. Apart, since few commands have one
    // and it is larger than the rest of the entry.
    std::shared_ptr<const CapabilityTarget> capability;
  };

  // What a keystroke reads of every entry, kept apart from the entries so that the pass over all
  // of them stays within a few cache lines per entry.
  struct Screen {
    std::uint64_t bits;
    std::uint64_t wordStartBits;
    std::uint32_t length;
    bool isDefinition;
    bool isCapability;
  };

  // An entry and what orders it: its score, or its use count when the query is empty.
  struct Ranked {
    int rank;
    std::size_t index;
  };

  std::vector<LocalHit> mostUsed(const UsageCounts& usage, std::size_t limit) const;
  // The first `limit` of `ranked`, by rank, then title, then entry order.
  template <class Score>
  std::vector<LocalHit> best(std::vector<Ranked>& ranked, std::size_t limit, Score score) const;

  std::vector<Entry> entries_;
  std::vector<Screen> screens_;
  Options options_;
};

}  // namespace quillo::core

#include "quillo/core/index/command_index.h"

#include <algorithm>

#include "quillo/core/capabilities/capability_catalog.h"
#include "quillo/core/index/catalog.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

std::optional<CapabilityTarget> capabilityTarget(const Command& command) {
  const ActionDefinition* definition = command.definition();
  if (definition == nullptr) return std::nullopt;
  const auto* scriptable = std::get_if<definition::ScriptableCapability>(definition);
  if (scriptable == nullptr) return std::nullopt;
  return CapabilityTarget::of(scriptable->capability);
}

// The bundles whose dictionaries the system index reads: every installed application's, then
// the system's own scripting host.
std::vector<std::filesystem::path> scriptableBundles(const std::vector<Command>& apps) {
  std::vector<std::filesystem::path> bundles;
  for (const Command& command : apps) {
    const auto* app = std::get_if<target::App>(&command.target);
    if (app == nullptr) continue;
    // Desktop entries carry no scripting dictionary.
    auto path = app->bundle.filePath();
    if (path && path->ends_with(".app")) bundles.emplace_back(std::move(*path));
  }
  const auto& system = CapabilityCatalog::systemApps();
  bundles.insert(bundles.end(), system.begin(), system.end());
  return bundles;
}

// Whether the query holds a value the title cannot hold: a duration, delay, clock time,
// percentage or number. On and off are words a title may well contain.
bool hasNonToggleValue(const ParsedQuery& parsed) {
  return std::any_of(parsed.values.begin(), parsed.values.end(),
                     [](const ParsedValue& value) { return !std::holds_alternative<parsed::Toggle>(value); });
}

int usageBonus(const UsageCounts& usage, const std::string& id) {
  if (usage.empty()) return 0;
  const auto found = usage.find(id);
  if (found == usage.end()) return 0;
  return std::clamp(found->second, 0, FuzzyMatcher::maxUsageBonus);
}

}  // namespace

CommandIndex::CommandIndex(std::vector<Command> commands, Options options) : options_(options) {
  entries_.reserve(commands.size());
  screens_.reserve(commands.size());
  for (Command& command : commands) {
    MatchTarget target(command.title);
    std::optional<CapabilityTarget> capability = capabilityTarget(command);
    screens_.push_back(Screen{target.bits, target.wordStartBits,
                              static_cast<std::uint32_t>(target.scalars.size()),
                              command.definition() != nullptr, capability.has_value()});
    entries_.push_back(
        Entry{std::move(command), std::move(target),
              capability ? std::make_shared<const CapabilityTarget>(std::move(*capability)) : nullptr});
  }
}

SystemSources SystemSources::macOS(const platform::System& system) {
  return {
      .desktopApplications = {}, .settings = Catalog::settings(system), .actions = Catalog::actions(system)};
}

SystemSources SystemSources::linuxDesktop(std::vector<DesktopApplication> applications,
                                          const LinuxTools& tools, const Catalog::UserFolders& folders) {
  return {.desktopApplications = std::move(applications),
          .settings = Catalog::linuxSettingsTable(tools),
          .actions = Catalog::linuxActionsTable(tools, ProcessCalls::linuxDesktop(tools), folders)};
}

CommandIndex CommandIndex::system(const platform::System& system, const platform::FileSystem& files,
                                  const ApplicationRoots& roots, Options options) {
  return CommandIndex::system(system, files, roots, SystemSources::macOS(system), options);
}

CommandIndex CommandIndex::system(const platform::System& system, const platform::FileSystem& files,
                                  const ApplicationRoots& roots, const SystemSources& sources,
                                  Options options) {
  std::vector<Command> commands =
      installedApps(files, roots, sources.desktopApplications, system.localeIdentifier());
  commands.insert(commands.end(), sources.settings.begin(), sources.settings.end());
  commands.insert(commands.end(), sources.actions.begin(), sources.actions.end());
  std::vector<Command> scriptable = CapabilityCatalog::commands(files, scriptableBundles(commands));
  commands.insert(commands.end(), std::make_move_iterator(scriptable.begin()),
                  std::make_move_iterator(scriptable.end()));
  return CommandIndex(std::move(commands), options);
}

std::vector<Command> CommandIndex::commands() const {
  std::vector<Command> commands;
  commands.reserve(entries_.size());
  for (const Entry& entry : entries_)
    commands.push_back(entry.command);
  return commands;
}

std::vector<LocalHit> CommandIndex::search(std::string_view query, const UsageCounts& usage,
                                           std::size_t limit) const {
  const PreparedQuery q = FuzzyMatcher::prepare(query);
  if (q.empty()) return mostUsed(usage, limit);

  // A parameterised action is also matched by the words around a typed value, so that
  // "volume 20%" finds "Set Volume" though the title holds no percentage.
  PreparedQuery rest;
  std::optional<CapabilityQuery> namedRest;
  if (options_.parseValues != nullptr) {
    const ParsedQuery parsed = options_.parseValues(query);
    if (hasNonToggleValue(parsed)) {
      rest = FuzzyMatcher::prepare(parsed.remainder);
      namedRest = CapabilityQuery::of(parsed.remainder);
    }
  }

  const CapabilityQuery named = CapabilityQuery::of(query);
  const bool byRemainder = !rest.empty();
  const auto larger = [](std::optional<int> a, std::optional<int> b) {
    return a && b ? std::max(*a, *b) : a ? a : b;
  };
  const auto add = [&](std::vector<Ranked>& scored, std::size_t index, int base) {
    const int boosted = base + usageBonus(usage, entries_[index].command.id);
    // Use reorders matches of one kind but never makes a weak match strong.
    const int score = base >= FuzzyMatcher::strongMatch ? boosted : std::min(boosted, fuzzy::kBestWeakMatch);
    scored.push_back({score, index});
  };

  // Strong matches first. Every scattered match ranks below every strong one, so once `limit`
  // strong hits are in hand the scattered ones need not be looked for: the first keys of a
  // query, which match most titles, cost one cheap pass.
  std::vector<Ranked> scored;
  std::vector<std::size_t> notStrong;
  std::size_t strong = 0;
  // Whether the query, or the words around its value, may match an entry at all, and may match
  // it at a word start: signatures answer most entries without reading their titles.
  const auto mayMatch = [](const PreparedQuery& words, const Screen& screen) {
    return !words.empty() && screen.length >= words.scalars.size() && (words.bits & ~screen.bits) == 0;
  };
  const auto mayBeStrong = [&](const PreparedQuery& words, const Screen& screen) {
    return mayMatch(words, screen) && (fuzzy::signatureBit(words.scalars[0]) & screen.wordStartBits) != 0;
  };
  for (std::size_t index = 0; index < screens_.size(); ++index) {
    const Screen& screen = screens_[index];
    if (screen.isCapability) {
      const CapabilityTarget& capability = *entries_[index].capability;
      // "start screen saver in 5 seconds": the words around a value name the capability too.
      const auto base =
          larger(capability.score(named), namedRest ? capability.score(*namedRest) : std::nullopt);
      if (!base) continue;
      add(scored, index, *base);
      if (*base >= FuzzyMatcher::strongMatch) ++strong;
      continue;
    }
    const bool alsoByRemainder = byRemainder && screen.isDefinition;
    const bool matchable = mayMatch(q, screen) || (alsoByRemainder && mayMatch(rest, screen));
    if (!matchable) continue;
    const MatchTarget& target = entries_[index].target;
    const auto base =
        larger(mayBeStrong(q, screen) ? FuzzyMatcher::strongScore(q, target) : std::nullopt,
               alsoByRemainder && mayBeStrong(rest, screen) ? FuzzyMatcher::strongScore(rest, target)
                                                            : std::nullopt);
    if (!base) {
      notStrong.push_back(index);
      continue;
    }
    add(scored, index, *base);
    ++strong;
  }
  if (strong < limit) {
    for (const std::size_t index : notStrong) {
      const MatchTarget& target = entries_[index].target;
      const bool alsoByRemainder = byRemainder && screens_[index].isDefinition;
      const auto base = larger(FuzzyMatcher::weakScore(q, target),
                               alsoByRemainder ? FuzzyMatcher::weakScore(rest, target) : std::nullopt);
      if (base) add(scored, index, *base);
    }
  }

  return best(scored, limit, [](const Ranked& ranked) { return ranked.rank; });
}

std::vector<LocalHit> CommandIndex::mostUsed(const UsageCounts& usage, std::size_t limit) const {
  std::vector<Ranked> used;
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    const auto found = usage.find(entries_[index].command.id);
    if (found != usage.end()) used.push_back({found->second, index});
  }
  return best(used, limit, [](const Ranked&) { return 0; });
}

template <class Score>
std::vector<LocalHit> CommandIndex::best(std::vector<Ranked>& ranked, std::size_t limit, Score score) const {
  // Entry order breaks the last tie, so a partial sort yields what a full stable sort would.
  const auto before = [this](const Ranked& a, const Ranked& b) {
    if (a.rank != b.rank) return a.rank > b.rank;
    const int byTitle = entries_[a.index].command.title.compare(entries_[b.index].command.title);
    if (byTitle != 0) return byTitle < 0;
    return a.index < b.index;
  };
  const std::size_t kept = std::min(limit, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(kept), ranked.end(), before);

  std::vector<LocalHit> hits;
  hits.reserve(kept);
  for (std::size_t position = 0; position < kept; ++position) {
    hits.push_back(LocalHit{entries_[ranked[position].index].command, score(ranked[position])});
  }
  return hits;
}

}  // namespace quillo::core

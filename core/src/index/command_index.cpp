#include "quillo/core/index/command_index.h"

#include <algorithm>

#include "quillo/core/index/catalog.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

bool isScriptableCapability(const Command& command) {
  const ActionDefinition* definition = command.definition();
  return definition != nullptr && std::holds_alternative<definition::ScriptableCapability>(*definition);
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
  for (Command& command : commands) {
    MatchTarget target(command.title);
    const bool capability = isScriptableCapability(command);
    entries_.push_back(Entry{std::move(command), std::move(target), capability});
  }
}

CommandIndex CommandIndex::system(const platform::System& system, const ApplicationRoots& roots,
                                  Options options) {
  std::vector<Command> commands = installedApps(roots, system.localeIdentifier());
  const auto& settings = Catalog::settings(system);
  const auto& actions = Catalog::actions(system);
  commands.insert(commands.end(), settings.begin(), settings.end());
  commands.insert(commands.end(), actions.begin(), actions.end());
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
  if (options_.parseValues != nullptr) {
    const ParsedQuery parsed = options_.parseValues(query);
    if (hasNonToggleValue(parsed)) rest = FuzzyMatcher::prepare(parsed.remainder);
  }

  std::vector<Ranked> scored;
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    const Entry& entry = entries_[index];
    if (entry.isCapability) continue;
    std::optional<int> base = FuzzyMatcher::score(q, entry.target);
    if (!rest.empty() && entry.command.definition() != nullptr) {
      if (const auto byRemainder = FuzzyMatcher::score(rest, entry.target)) {
        base = base ? std::max(*base, *byRemainder) : *byRemainder;
      }
    }
    if (!base) continue;
    const int boosted = *base + usageBonus(usage, entry.command.id);
    // Use reorders matches of one kind but never makes a weak match strong.
    const int score = *base >= FuzzyMatcher::strongMatch ? boosted : std::min(boosted, fuzzy::kBestWeakMatch);
    scored.push_back({score, index});
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
